#include "Platform/Media/AudioSession.h"

#include "Platform/Foundation/NotificationCenter.h"

namespace solen::platform {

const std::string AudioSession::interruptionNotification = "AudioSessionInterruptionNotification";
const std::string AudioSession::interruptionTypeKey = "AudioSessionInterruptionTypeKey";

std::shared_ptr<AudioSession> AudioSession::sharedInstance() {
    static const std::shared_ptr<AudioSession> session(new AudioSession());
    return session;
}

void AudioSession::simulateInterruption(InterruptionType type) {
    Notification notification{interruptionNotification, sharedInstance(), {}};
    notification.userInfo.emplace(interruptionTypeKey, static_cast<std::uint64_t>(type));
    NotificationCenter::defaultCenter().post(notification);
}

}  // namespace solen::platform
