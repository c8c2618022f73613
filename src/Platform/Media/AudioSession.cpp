#include "Platform/Media/AudioSession.h"

#include "Platform/Foundation/NotificationCenter.h"

namespace solen::platform {

const std::string& AudioSession::interruptionNotification = *new std::string("AudioSessionInterruptionNotification");
const std::string& AudioSession::interruptionTypeKey = *new std::string("AudioSessionInterruptionTypeKey");

std::shared_ptr<AudioSession> AudioSession::sharedInstance() {
    static const auto* session = new std::shared_ptr<AudioSession>(new AudioSession());
    return *session;
}

void AudioSession::simulateInterruption(InterruptionType type) {
    Notification notification{interruptionNotification, sharedInstance(), {}};
    notification.userInfo.emplace(interruptionTypeKey, static_cast<std::uint64_t>(type));
    NotificationCenter::defaultCenter().post(notification);
}

}  // namespace solen::platform
