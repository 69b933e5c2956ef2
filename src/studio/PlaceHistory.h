// Back and Forward over the places shown: each new place is recorded after
// the one shown, dropping what lay ahead of it, as a browser does.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "studio/StudioModel.h"

namespace quillon::studio {

class PlaceHistory {
public:
    // The place now shown; the same place twice in a row is kept once.
    void record(const Place& place);
    // The place to show, or nothing at either end.
    std::optional<Place> back();
    std::optional<Place> forward();
    bool canGoBack() const { return current_ > 0; }
    bool canGoForward() const { return current_ + 1 < places_.size(); }
    size_t size() const { return places_.size(); }

    // Old places go beyond this many.
    static constexpr size_t kMostPlaces = 500;

private:
    std::vector<Place> places_;
    size_t current_ = 0;
};

}  // namespace quillon::studio
