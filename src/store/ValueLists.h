#pragma once

#include <QStringList>

// The value lists of an opportunity's probability, stage and source, in the order in which the
// application offers them. Stored values are the full texts.
namespace ValueLists {
const QStringList& probability();
const QStringList& stage();
const QStringList& source();
} // namespace ValueLists
