#pragma once

#include <QByteArray>
#include <QStringList>

// The body of an application/x-www-form-urlencoded post. Each item is
// name=value (the name ends at the first "="); items with an empty name are
// left out. Names and values go as UTF-8, percent-encoded with a blank as "+";
// pairs are joined with "&" in list order.
QByteArray EncodeFormFields(const QStringList &AFields);

// One name or value, encoded as above.
QByteArray EncodeFormText(const QString &AText);
