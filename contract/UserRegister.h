// Where a user's register is when none is named: "register.sqlite" in the
// user's data folder, beside the table the window started from the menu
// uses (indexdata/UserFolder). It only names the file; opening and making
// it is SqlRegister's.
#pragma once

#include <QString>

#include "indexdata/UserFolder.h"

inline const QString kRegisterName = QStringLiteral("register.sqlite");

// The register in the data folder for a given XDG_DATA_HOME and home folder.
inline QString userRegister(const QString& xdgDataHome, const QString& home) {
    return userFolder(xdgDataHome, home) + QLatin1Char('/') + kRegisterName;
}
