#pragma once
// A plain GET of a public resource (libcurl), redirects followed.
#include <QByteArray>
#include <QString>

// The body of a successful answer (status 2xx); empty on any failure, with
// the reason in error when given.
QByteArray HttpGet(const QString& url, int timeoutMs, QString* error = nullptr);
