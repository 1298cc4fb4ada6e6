#include "app/KeyStore.h"

// GLib names a member "signals", a word Qt keeps for itself.
#undef signals
#include <libsecret/secret.h>

#include "base/LoadedLibrary.h"

namespace {

struct Secret {
    decltype(&secret_password_store_sync) store = nullptr;
    decltype(&secret_password_lookup_sync) lookup = nullptr;
    decltype(&secret_password_clear_sync) clear = nullptr;
    decltype(&secret_password_free) free = nullptr;
    void (*errorFree)(GError*) = nullptr;
    void takeFrom(LoadedLibrary& l) {
        l.take(store, "secret_password_store_sync");
        l.take(lookup, "secret_password_lookup_sync");
        l.take(clear, "secret_password_clear_sync");
        l.take(free, "secret_password_free");
        l.take(errorFree, "g_error_free");
    }
};

const Secret* secret(QString* why) {
    return loadFunctions<Secret>("libsecret-1.so.0",
                                 QStringLiteral("ไม่มีที่เก็บรหัสผ่านของเดสก์ท็อป (%1)"), why);
}

// One attribute, the location (which holds no password).
const SecretSchema kSchema = {"org.tarvon.Register", SECRET_SCHEMA_NONE,
                              {{"location", SECRET_SCHEMA_ATTRIBUTE_STRING}, {nullptr, SecretSchemaAttributeType(0)}},
                              0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

}  // namespace

namespace keystore {

std::optional<QString> lookup(const QString& location) {
    const Secret* s = secret(nullptr);
    if (!s) return std::nullopt;
    GError* error = nullptr;
    const QByteArray where = location.toUtf8();
    gchar* found = s->lookup(&kSchema, nullptr, &error, "location", where.constData(), nullptr);
    if (error) s->errorFree(error);
    if (!found) return std::nullopt;
    const QString password = QString::fromUtf8(found);
    s->free(found);
    return password;
}

bool store(const QString& location, const QString& password, QString* why) {
    const Secret* s = secret(why);
    if (!s) return false;
    GError* error = nullptr;
    const QByteArray where = location.toUtf8(), secretText = password.toUtf8();
    const QByteArray label = QStringLiteral("Tarvon: ทะเบียนสัญญา %1").arg(location).toUtf8();
    const bool kept = s->store(&kSchema, SECRET_COLLECTION_DEFAULT, label.constData(), secretText.constData(),
                               nullptr, &error, "location", where.constData(), nullptr);
    if (!kept && why)
        *why = QStringLiteral("เก็บรหัสผ่านไว้ในที่เก็บรหัสผ่านของเดสก์ท็อปไม่ได้ (%1)")
                   .arg(error ? QString::fromUtf8(error->message) : QString());
    if (error) s->errorFree(error);
    return kept;
}

void forget(const QString& location) {
    const Secret* s = secret(nullptr);
    if (!s) return;
    GError* error = nullptr;
    const QByteArray where = location.toUtf8();
    s->clear(&kSchema, nullptr, &error, "location", where.constData(), nullptr);
    if (error) s->errorFree(error);
}

}  // namespace keystore
