#include "app/viewer_windows.h"

#include "app/tovral_main.h"
#include "dialogs/tovral_area.h"
#include "dialogs/tovral_leg.h"
#include "dialogs/tovral_status.h"
#include "dialogs/tovral_uf.h"
#include "search/tovral_distancias.h"

#include <utility>

namespace {
// Creates one window with the shared catalogues it uses, and publishes it in its global
// variable before the next is created.
template <typename Window, typename... Data>
std::unique_ptr<Window> Create(Window *&global, Data &...data)
{
    auto window = std::make_unique<Window>(data...);
    global = window.get();
    return window;
}

// Destroys one window, then clears its global variable.
template <typename Window>
void Destroy(std::unique_ptr<Window> &window, Window *&global)
{
    window.reset();
    global = nullptr;
}
} // namespace

TViewerWindows::TViewerWindows()
    : FMain(Create(formTovralMain, FData)),
      FPickUF(Create(formPickUF, FData)),
      FStatus(Create(formStatus)),
      FArea(Create(formArea)),
      FLegendas(Create(formLegendas)),
      FDistancias(Create(formDistancias, std::as_const(FData)))
{
}

TViewerWindows::~TViewerWindows()
{
    // In the reverse order of creation.
    Destroy(FDistancias, formDistancias);
    Destroy(FLegendas, formLegendas);
    Destroy(FArea, formArea);
    Destroy(FStatus, formStatus);
    Destroy(FPickUF, formPickUF);
    Destroy(FMain, formTovralMain);
}
