// Both passes are one operation with a colour; the load point reads a snapshot.
#include "display/TickView.h"

#include "storage/Snapshot.h"

void TickView::PlotAll(const Store& store, QRgb colour) {
    for (const Body& body : store.Bodies)
        if (const auto point = Project(body, store.DrawnPlane, store.Size1))
            picture_.Plot(*point, colour);
}

void TickView::ErasePass(const Store& store) {
    PlotAll(store, qRgb(0, 0, 0));
}

void TickView::DrawPass(const Store& store) {
    PlotAll(store, qRgb(255, 255, 255));
}

void TickView::loadis(Store& store, const std::string& path) {
    ReadSnapshot(path, store);
}

void TickView::ShowTexts(const Store& store, double Energy) {
    RecallTexts(store.StepCount, Energy, store.dT);
}

void TickView::RecallTexts(std::int64_t StepCount, double Energy, double dT) {
    energy_ = Energy;
    texts_ = MakeTickTexts(StepCount, Energy, dT);
}

void TickView::ShowHalt(const Store& store, std::int64_t step) {
    texts_ = MakeHaltTexts(texts_, step, store.dT);
}
