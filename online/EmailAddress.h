#pragma once

#include <QString>

// Whether AText looks like an e-mail address: one match of
// ^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\.[a-zA-Z0-9-.]*[a-zA-Z0-9]+$ (PCRE2, case-
// sensitive as written, an empty match not counting). The caller trims first.
bool IsValidEmail(const QString &AText);
