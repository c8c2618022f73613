#pragma once

#include <optional>
#include <string>

namespace solen {

// The advertising and vendor identifier map, and the two session values: the current session id
// and the last-activity time (seconds since 1970 with fraction). Each session value is read from
// the key-value store on first use ("sessionIdentifier", "lastActivityTs"; a fresh UUID text or the
// current time when nothing is stored, not written back) and mirrored there by every writer.
// Thread-safe: both values are guarded, and a session roll-over is one atomic step.
class Identifiers {
public:
    // JSON text of {"IDA": advertising id, "IDV": vendor id}, each present only when the root
    // configuration allows it (the vendor id also only when the platform gives one); "{}" with
    // both switches off.
    static std::optional<std::string> getIdentifiers();
    static std::optional<std::string> vendorIdentifier();

    static double lastActivityTs();
    static std::string sessionIdentifier();
    // Write memory and store.
    static void setLastActivityTs(double seconds);
    static void setSessionIdentifier(const std::string& identifier);
    // Sets the last-activity time to now (the bid client, on every send). Returns the time written.
    static double markActivity();

    // The session step of the bid and analytics requests: when now minus the last-activity time
    // is strictly greater than `sessionLengthSeconds`, a fresh session id is drawn and stored, then
    // the last-activity time is set to a second clock reading and stored. Two threads never draw
    // two ids for one roll-over. Returns the session id after the step.
    static std::string rollSessionIfIdle(double sessionLengthSeconds);

    // Forgets the in-memory values so that the next use reads the store again (tests: relaunch).
    static void resetForTesting();
};

}  // namespace solen
