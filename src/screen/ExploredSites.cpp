#include "screen/ExploredSites.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "diagram/NearestSite.h"
#include "diagram/dist.h"

namespace voroquarn {

std::variant<float, std::string> typedWeight(std::string_view text)
{
    if (text.find_first_not_of(" \t") == std::string_view::npos) {
        return std::string("type a weight, then Enter");
    }
    const SiteFileContents read = parseSiteFile("0 0 " + std::string(text));
    if (read.error) {
        return "not a weight: " + read.error->message;
    }
    const float w = read.sites.front().w;
    if (w < ExploredSites::LEAST_WEIGHT || w > ExploredSites::GREATEST_WEIGHT) {
        return std::string(ExploredSites::WEIGHT_LIMITS);
    }
    return w;
}

ExploredSites::ExploredSites(SiteArrays placed)
{
    restart(std::move(placed));
    saved_ = sites_;
}

void ExploredSites::restart(SiteArrays placed)
{
    sites_ = std::move(placed);
    ids_.clear();
    for (std::int32_t k = 0; k < sites_.N; ++k) {
        ids_.push_back(nextId_++);
    }
    // The history goes, and its memory with it.
    done_ = {};
    undone_ = {};
    moving_.reset();
}

void ExploredSites::noteSaved(const std::vector<Site>& saved)
{
    saved_ = {};
    for (const Site& site : saved) {
        saved_.add(site.x, site.y, site.w);
    }
}

bool ExploredSites::unsaved() const
{
    for (std::size_t k = 0; k < static_cast<std::size_t>(std::min(saved_.N, sites_.N)); ++k) {
        if (!sameSite(sites_, k, saved_, k)) {
            return true;
        }
    }
    return saved_.N != sites_.N;
}

std::vector<Site> ExploredSites::asSites() const
{
    std::vector<Site> all;
    for (std::int32_t k = 0; k < sites_.N; ++k) {
        all.push_back(site(k));
    }
    return all;
}

Site ExploredSites::site(std::int32_t k) const
{
    const auto at = static_cast<std::size_t>(k);
    return {sites_.x[at], sites_.y[at], sites_.w[at]};
}

std::optional<std::int32_t> ExploredSites::siteAt(double x, double y, double reach) const
{
    std::vector<std::int32_t> nearest;  // every site as near as the nearest
    double least = reach;
    for (std::int32_t k = 0; k < sites_.N; ++k) {
        const auto at = static_cast<std::size_t>(k);
        const double d = dist(x, y, sites_.x[at], sites_.y[at]);
        if (d < least) {
            least = d;
            nearest.clear();
        }
        if (d == least) {
            nearest.push_back(k);
        }
    }
    if (nearest.size() > 1) {
        return regionHolding(sites_, x, y, nearest);
    }
    return nearest.empty() ? std::nullopt : std::optional(nearest.front());
}

std::int32_t ExploredSites::nearestSite(double x, double y) const { return regionHolding(sites_, x, y); }

void ExploredSites::moveTo(std::int32_t k, double x, double y)
{
    if (moving_ && moving_->at != k) {
        endMove();
    }
    if (!moving_) {
        moving_ = Edit{Edit::Kind::Move, k, ids_[static_cast<std::size_t>(k)], site(k), {}};
    }
    put(k, {x, y, sites_.w[static_cast<std::size_t>(k)]});
}

void ExploredSites::endMove()
{
    if (!moving_) {
        return;
    }
    Edit edit = *moving_;
    moving_.reset();
    edit.after = site(edit.at);
    if (edit.after.x != edit.before.x || edit.after.y != edit.before.y) {
        record(edit);
    }
}

bool ExploredSites::scaleWeight(std::int32_t k, bool heavier)
{
    endMove();
    const Site before = site(k);
    const double w = before.w;
    const auto next = static_cast<float>(heavier ? w * WEIGHT_STEP : w / WEIGHT_STEP);
    const float kept = std::clamp(next, LEAST_WEIGHT, GREATEST_WEIGHT);
    if (heavier ? !(kept > before.w) : !(kept < before.w)) {
        return false;
    }
    const Edit edit{Edit::Kind::Weight, k, ids_[static_cast<std::size_t>(k)], before, {before.x, before.y, kept}};
    apply(edit, true);
    record(edit);
    return true;
}

bool ExploredSites::setWeight(std::int32_t k, float w)
{
    endMove();
    const Site before = site(k);
    if (w == before.w) {
        return false;
    }
    const Edit edit{Edit::Kind::Weight, k, ids_[static_cast<std::size_t>(k)], before, {before.x, before.y, w}};
    apply(edit, true);
    record(edit);
    return true;
}

std::int32_t ExploredSites::add(double x, double y)
{
    endMove();
    const float w = sites_.w[static_cast<std::size_t>(nearestSite(x, y))];
    const Edit edit{Edit::Kind::Add, sites_.N, nextId_++, {}, {x, y, w}};
    apply(edit, true);
    record(edit);
    return edit.at;
}

bool ExploredSites::remove(std::int32_t k)
{
    endMove();
    if (sites_.N <= FEWEST_SITES) {
        return false;
    }
    const Edit edit{Edit::Kind::Remove, k, ids_[static_cast<std::size_t>(k)], site(k), {}};
    apply(edit, true);
    record(edit);
    return true;
}

bool ExploredSites::undo()
{
    endMove();
    if (done_.empty()) {
        return false;
    }
    const Edit edit = done_.back();
    done_.pop_back();
    apply(edit, false);
    undone_.push_back(edit);
    return true;
}

bool ExploredSites::redo()
{
    endMove();
    if (undone_.empty()) {
        return false;
    }
    const Edit edit = undone_.back();
    undone_.pop_back();
    apply(edit, true);
    done_.push_back(edit);
    return true;
}

void ExploredSites::record(const Edit& edit)
{
    done_.push_back(edit);
    undone_.clear();
}

void ExploredSites::apply(const Edit& edit, bool forward)
{
    switch (edit.kind) {
    case Edit::Kind::Move:
    case Edit::Kind::Weight:
        put(edit.at, forward ? edit.after : edit.before);
        return;
    case Edit::Kind::Add:
        if (forward) {
            insert(edit.at, edit.after, edit.id);
        } else {
            erase(edit.at);
        }
        return;
    case Edit::Kind::Remove:
        if (forward) {
            erase(edit.at);
        } else {
            insert(edit.at, edit.before, edit.id);
        }
        return;
    }
}

void ExploredSites::put(std::int32_t k, const Site& site)
{
    const auto at = static_cast<std::size_t>(k);
    sites_.x[at] = site.x;
    sites_.y[at] = site.y;
    sites_.w[at] = site.w;
}

void ExploredSites::insert(std::int32_t k, const Site& site, std::uint32_t id)
{
    const auto at = static_cast<std::ptrdiff_t>(k);
    sites_.x.insert(sites_.x.begin() + at, site.x);
    sites_.y.insert(sites_.y.begin() + at, site.y);
    sites_.w.insert(sites_.w.begin() + at, site.w);
    ids_.insert(ids_.begin() + at, id);
    ++sites_.N;
}

void ExploredSites::erase(std::int32_t k)
{
    const auto at = static_cast<std::ptrdiff_t>(k);
    sites_.x.erase(sites_.x.begin() + at);
    sites_.y.erase(sites_.y.begin() + at);
    sites_.w.erase(sites_.w.begin() + at);
    ids_.erase(ids_.begin() + at);
    --sites_.N;
}

}  // namespace voroquarn
