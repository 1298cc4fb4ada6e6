// The desktop's key store (the Secret Service: GNOME Keyring, KWallet), for
// the password of an office's register server, so that it is never written
// into a plain file. libsecret is loaded when a password is first stored or
// looked up; where there is no key store (no library, no service on the
// session bus) nothing is kept and the user types the password again.
//
// It keeps and finds passwords by the server register's location; it
// knows nothing of databases.
#pragma once

#include <QString>
#include <optional>

namespace keystore {

// The password kept for `location`; nullopt when none is (or there is no
// key store).
std::optional<QString> lookup(const QString& location);
// Keeps `password` for `location`; false with the Thai reason in `why`.
bool store(const QString& location, const QString& password, QString* why);
// Forgets the password kept for `location`, if any.
void forget(const QString& location);

}  // namespace keystore
