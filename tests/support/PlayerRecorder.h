#pragma once

#include "Ad/RenderEngine/Native/MediaPlayer/Player.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace solen::test {

// Both delegates of a player, writing what they hear into a journal: "state <description>",
// "buffering <description>", "ready", "failed", "tap", "started", "q1".."q3", "completed",
// "willLoop", "didLoop"; time ticks are counted, buffered times and errors kept apart. `onState`
// runs after each state report (a test may release the player there). Main thread only.
class PlayerRecorder : public PlayerDelegate, public PlayerPlaybackDelegate {
public:
    void playerReady(Player&) override { journal.push_back("ready"); }
    void playerPlaybackStateDidChange(Player& player) override;
    void playerBufferingStateDidChange(Player& player) override;
    void playerBufferedTimeDidChange(Player&, double bufferedTime) override { bufferedTimes.push_back(bufferedTime); }
    void player(Player&, const std::optional<platform::Error>& error) override;
    void playerDidReceiveTap(Player&) override { journal.push_back("tap"); }

    void playerPlaybackTimeDidChange(Player&) override { ++ticks; }
    void playerPlaybackDidStarted(Player&) override { journal.push_back("started"); }
    void playerPlayBackDidFinishFirstQuartile(Player&) override { journal.push_back("q1"); }
    void playerPlayBackDidFinishSecondQuartile(Player&) override { journal.push_back("q2"); }
    void playerPlayBackDidFinishThiredQuartile(Player&) override { journal.push_back("q3"); }
    void playerPlayBackDidCompleted(Player&) override { journal.push_back("completed"); }
    void playerPlaybackWillLoop(Player&) override { journal.push_back("willLoop"); }
    void playerPlaybackDidLoop(Player&) override { journal.push_back("didLoop"); }
    void playerPlayBackSoundChanges(Player&, bool mute) override { journal.push_back(mute ? "muted" : "unmuted"); }

    // The journal's entries of one kind, in order.
    std::vector<std::string> states() const;
    std::vector<std::string> buffering() const;
    std::vector<std::string> milestones() const;
    void clear();

    std::vector<std::string> journal;
    std::vector<double> bufferedTimes;
    std::vector<std::optional<platform::Error>> errors;
    long ticks = 0;
    std::function<void(Player&)> onState;
};

}  // namespace solen::test
