#include "studio/PlaceHistory.h"

namespace quillon::studio {

void PlaceHistory::record(const Place& place)
{
    if (!places_.empty() && places_[current_] == place)
        return;
    if (!places_.empty())
        places_.resize(current_ + 1);
    places_.push_back(place);
    if (places_.size() > kMostPlaces)
        places_.erase(places_.begin());
    current_ = places_.size() - 1;
}

std::optional<Place> PlaceHistory::back()
{
    if (!canGoBack())
        return std::nullopt;
    return places_[--current_];
}

std::optional<Place> PlaceHistory::forward()
{
    if (!canGoForward())
        return std::nullopt;
    return places_[++current_];
}

}  // namespace quillon::studio
