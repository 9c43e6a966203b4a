// What a run came to, as sweeps count it and envelopes judge it.
#pragma once

#include <iterator>

#include "runner/flight/flight.h"

namespace runner {

/// The outcomes a weapon can have, in the order of OUTCOMES: its warhead went off within the
/// target's size of its centre, or farther; its seeker never saw the target; it locked on, and its
/// flight ended without the warhead going off; it locked on, and the run ended while it still flew,
/// its warhead unfired; in a salvo, its head came on a friend and it hit no target.
enum class Outcome { HIT, MISS, NO_LOCK, DUD, UNFINISHED, FRIEND };
/// The outcomes' names in runs.csv and summary.json.
inline constexpr const char* OUTCOMES[] = {"hit", "miss", "no_lock", "dud", "unfinished", "locked_on_friend"};
/// How many outcomes there are.
inline constexpr int OUTCOME_COUNT = static_cast<int>(std::size(OUTCOMES));
/// How many outcomes a single weapon's run counts: all but the salvo's friend.
inline constexpr int SINGLE_OUTCOME_COUNT = static_cast<int>(Outcome::FRIEND);

/// What run `r` came to: no lock; a lock, and still flying at the run's end with the warhead unfired
/// (unfinished); a lock but no ignition (a dud); ignition within the target's size of its centre (a
/// hit), or beyond it (a miss).
Outcome OutcomeOf(const RunResult& r);
/// What the salvo weapon `w` came to: a hit; else, when its head came on a friend, locked on a
/// friend; else as a single weapon's run.
Outcome OutcomeOf(const WeaponRecord& w);
/// Fills each of `r`'s target records with the weapons that hit it and its closest miss.
void SettleTargets(RunResult& r);

}  // namespace runner
