#pragma once
// File names compared as people read them: "p2" before "p10", letters in any case, so that
// pictures become patterns in the order their names promise.

#include <QString>
#include <QStringList>

namespace pdt::app {

// Compares the file names of two paths (the folders are not looked at).
bool BeforeByName(const QString& a, const QString& b);

// The paths in that order; equal names keep their order.
QStringList SortedByName(QStringList paths);

} // namespace pdt::app
