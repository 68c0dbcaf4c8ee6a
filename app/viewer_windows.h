#pragma once

#include <memory>

class TformTovralMain;
class TformPickUF;
class TformStatus;
class TformArea;
class TformLegendas;
class TformDistancias;

// The viewer's windows, created in their fixed order and stored in their global variables
// (formTovralMain, formPickUF, ...). Each window's FormCreate runs as it is created, so the
// map window reads the city catalogue before the picker reads the state catalogue, and the
// distance calculator, created last, can copy the picker's states. Nothing is shown here.
// The destructor destroys them all and clears the globals.
class TViewerWindows {
public:
    TViewerWindows();
    ~TViewerWindows();
    TViewerWindows(const TViewerWindows &) = delete;
    TViewerWindows &operator=(const TViewerWindows &) = delete;

private:
    std::unique_ptr<TformTovralMain> FMain;
    std::unique_ptr<TformPickUF> FPickUF;
    std::unique_ptr<TformStatus> FStatus;
    std::unique_ptr<TformArea> FArea;
    std::unique_ptr<TformLegendas> FLegendas;
    std::unique_ptr<TformDistancias> FDistancias;
};
