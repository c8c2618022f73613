#include "support/PlayerRecorder.h"

#include <algorithm>
#include <array>

namespace solen::test {
namespace {

std::vector<std::string> matching(const std::vector<std::string>& journal, bool (*keep)(const std::string&)) {
    std::vector<std::string> kept;
    std::copy_if(journal.begin(), journal.end(), std::back_inserter(kept), keep);
    return kept;
}

}  // namespace

void PlayerRecorder::playerPlaybackStateDidChange(Player& player) {
    journal.push_back("state " + std::string(Player::description(player.playbackState())));
    if (onState) onState(player);
}

void PlayerRecorder::playerBufferingStateDidChange(Player& player) {
    journal.push_back("buffering " + std::string(Player::description(player.bufferingState())));
}

void PlayerRecorder::player(Player&, const std::optional<platform::Error>& error) {
    journal.push_back("failed");
    errors.push_back(error);
}

std::vector<std::string> PlayerRecorder::states() const {
    return matching(journal, [](const std::string& entry) { return entry.rfind("state ", 0) == 0; });
}

std::vector<std::string> PlayerRecorder::buffering() const {
    return matching(journal, [](const std::string& entry) { return entry.rfind("buffering ", 0) == 0; });
}

std::vector<std::string> PlayerRecorder::milestones() const {
    return matching(journal, [](const std::string& entry) {
        static constexpr std::array<std::string_view, 7> kinds{"started", "q1", "q2", "q3", "completed", "willLoop", "didLoop"};
        return std::find(kinds.begin(), kinds.end(), entry) != kinds.end();
    });
}

void PlayerRecorder::clear() {
    journal.clear();
    bufferedTimes.clear();
    errors.clear();
    ticks = 0;
}

}  // namespace solen::test
