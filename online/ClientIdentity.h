#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// The seven fields that describe this copy and this machine, in the order the
// server expects: appname, version, computername, username, os, local, guid.
// Values go in exactly as read; the form encoding escapes them on the wire.
QStringList ClientIdentityFields();

// The host name, cut to 15 characters; empty when it cannot be read.
QString ReadComputerName();

// The login name of the real user id; "Unknown" when it cannot be read.
QString ReadUserName();

// The login name of AUid in the user database; "Unknown" when there is none.
QString UserNameOf(unsigned AUid);

// /etc/machine-id (or D-Bus's copy of it); empty when unreadable.
QString ReadMachineGuid();

// Language and territory of the process locale, such as "de-DE"; taken once,
// on first use. "en-US" for the C/POSIX locale.
QString LocaleTag();

QString LocaleTagOf(const QLocale &ALocale);
