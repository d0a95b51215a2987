#pragma once

#include <QString>
#include <QStringList>
#include <stop_token>

// Posts AFields (name=value items, in order) as a form to AUrl and returns the
// reply body as text. "https://" (case-sensitive) goes over TLS with
// "Connection: close" and a UTF-8 charset on the content type; anything else
// goes as plain HTTP. Each attempt gets 3000 ms to connect and then 3000 ms for
// the whole reply. Raises EWebRequest when no reply could be obtained; over
// plain HTTP an error status (400 and up) counts as that too, while over HTTPS
// an error page is a reply like any other. A reply body over 64 KiB is not
// read on and counts as no reply; so does a stop request through AStop.
QString PostForm(const QString &AUrl, const QStringList &AFields, std::stop_token AStop = {});

// PostForm to "https://" + AAddress; after any error of that, at once to
// "http://" + AAddress with the same fields. The second error, if any, goes to
// the caller.
QString PostWithFallback(const QString &AAddress, const QStringList &AFields, std::stop_token AStop = {});
