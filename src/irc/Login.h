#pragma once

#include <cstdint>
#include <string>

namespace pell::irc {

// How the engine logs in to an account while it registers (SASL).
enum class LoginMechanism : std::uint8_t {
    None,
    Plain,    // account and password; only over TLS or to 127.0.0.1 and ::1
    External, // the TLS client certificate the account knows
};

struct LoginSettings {
    LoginMechanism Mechanism = LoginMechanism::None;
    std::string Account;
    std::string Password;
    bool Required = false; // a login that fails ends the connection

    bool operator==(const LoginSettings&) const = default;
};

// Why a login did not happen.
enum class LoginFailure : std::uint8_t {
    Rejected,     // the server refused it (904, 905, 902): its text says why
    Aborted,      // the server broke it off (906)
    NotOffered,   // the server offers no SASL, or not this mechanism
    NotEncrypted, // PLAIN would have gone over plain text: nothing was sent
    NoAnswer,     // the server left it unanswered
};

} // namespace pell::irc
