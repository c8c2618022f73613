#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace solen::platform {

// The process's audio session. It only tells of interruptions (a call, an alarm): the
// interruption notification, sent by the shared session, carries the interruption type as an
// unsigned 64-bit integer under `interruptionTypeKey`. Nothing here plays sound, so the
// notifications come only from `simulateInterruption`, the driver tests and the demo use.
// The notification is delivered on the posting thread.
class AudioSession {
public:
    enum class InterruptionType : std::uint64_t { ended = 0, began = 1 };

    static const std::string& interruptionNotification;
    static const std::string& interruptionTypeKey;

    static std::shared_ptr<AudioSession> sharedInstance();

    // Posts the interruption notification with this type, as the platform would.
    void simulateInterruption(InterruptionType type);

private:
    AudioSession() = default;
};

}  // namespace solen::platform
