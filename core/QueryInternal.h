#pragma once
// Helpers the dataset's units share; not for use outside core/Query*.cpp.
#include "core/Query.h"

#include <QByteArrayView>

namespace QueryDetail {

TFieldType mapType(const TDedicatedSession::RawResult::Column& c);
bool isBinaryType(TFieldType t);
bool isTextType(TFieldType t);
// A number as the server or a parameter writes it (decimal point).
bool parseDouble(QByteArrayView raw, double& out);

} // namespace QueryDetail
