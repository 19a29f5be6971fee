// When the windows unloaded by a window switch leave the screen, and when they
// are destroyed. Times are milliseconds on one steady clock.
//
// A window retired by a switch is kept on the screen until the window the
// switch asked for has been active (Settle): until then it may hold the X
// focus. A later switch before that keeps it too. Once settled it is hidden
// after `settle` ms, and not before `hold` ms have passed since the last key
// (a window unmapped as a key is pressed can cost that key); hidden, it is
// destroyed `hold` ms later. A settled window goes on its own time whatever
// switches follow, so switching faster than that keeps no more than a few.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

template <class W> class RetiredWindows {
public:
    using Time = std::int64_t;

    RetiredWindows(Time settle, Time hold) : settle_(settle), hold_(hold) {}

    void Retire(W window) { windows_.push_back({std::move(window), Stage::Kept, 0}); }
    // The window asked for is active, or the switch's hold let go: the kept windows start to leave.
    void Settle(Time now) {
        for (Entry& e : windows_)
            if (e.stage == Stage::Kept) {
                e.stage = Stage::Settled;
                e.since = now;
            }
    }
    void Key(Time now) { lastKey_ = now; }

    // When a window is next to be hidden or destroyed; none while all are kept.
    std::optional<Time> Next() const {
        std::optional<Time> next;
        for (const Entry& e : windows_)
            if (e.stage != Stage::Kept)
                next = std::min(Due(e), next.value_or(std::numeric_limits<Time>::max()));
        return next;
    }

    // The windows to hide and those to destroy at `now`.
    struct Departures {
        std::vector<W> hide, destroy;
    };
    Departures Take(Time now) {
        Departures out;
        std::erase_if(windows_, [&](Entry& e) {
            if (e.stage == Stage::Kept || Due(e) > now)
                return false;
            if (e.stage == Stage::Hidden) {
                out.destroy.push_back(std::move(e.window));
                return true;
            }
            out.hide.push_back(e.window);
            e.stage = Stage::Hidden;
            e.since = now;
            return false;
        });
        return out;
    }

    // Every window, whatever its stage; none are left.
    std::vector<W> TakeAll() {
        std::vector<W> all;
        for (Entry& e : std::exchange(windows_, {}))
            all.push_back(std::move(e.window));
        return all;
    }

    bool Empty() const { return windows_.empty(); }
    template <class Predicate> bool AnyOf(Predicate is) const {
        return std::any_of(windows_.begin(), windows_.end(), [&](const Entry& e) { return is(e.window); });
    }

private:
    enum class Stage { Kept, Settled, Hidden };
    struct Entry {
        W window;
        Stage stage;
        Time since; // settled or hidden at
    };
    Time Due(const Entry& e) const {
        return e.stage == Stage::Hidden ? e.since + hold_ : std::max(e.since + settle_, lastKey_ + hold_);
    }

    Time settle_, hold_;
    Time lastKey_ = std::numeric_limits<Time>::min() / 2; // no key yet
    std::vector<Entry> windows_;
};

} // namespace platform
