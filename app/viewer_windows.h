#pragma once

#include <memory>

#include "app/viewer_data.h"

class TformTovralMain;
class TformPickUF;
class TformStatus;
class TformArea;
class TformLegendas;
class TformDistancias;

// The viewer's windows and the catalogues they share, the windows created in their fixed
// order and stored in their global variables (formTovralMain, formPickUF, ...). Each window's
// FormCreate runs as it is created, so the map window reads the city catalogue before the
// picker reads the state catalogue. Nothing is shown here. The destructor destroys the
// windows and clears the globals, then the catalogues go.
class TViewerWindows {
public:
    TViewerWindows();
    ~TViewerWindows();
    TViewerWindows(const TViewerWindows &) = delete;
    TViewerWindows &operator=(const TViewerWindows &) = delete;

    const TViewerData &Data() const { return FData; }

private:
    TViewerData FData; // made before the windows, which hold references to it
    std::unique_ptr<TformTovralMain> FMain;
    std::unique_ptr<TformPickUF> FPickUF;
    std::unique_ptr<TformStatus> FStatus;
    std::unique_ptr<TformArea> FArea;
    std::unique_ptr<TformLegendas> FLegendas;
    std::unique_ptr<TformDistancias> FDistancias;
};
