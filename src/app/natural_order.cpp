#include "app/natural_order.h"

#include <QFileInfo>

#include <algorithm>

namespace pdt::app {

namespace {

// The digits of a run from `at`, without leading zeros, and where the run ends.
QStringView digitRun(const QString& s, qsizetype at, qsizetype& end) {
    end = at;
    while (end < s.size() && s[end].isDigit())
        ++end;
    qsizetype first = at;
    while (first < end && s[first] == QLatin1Char('0'))
        ++first;
    return QStringView(s).mid(first, end - first);
}

} // namespace

bool BeforeByName(const QString& a, const QString& b) {
    const QString x = QFileInfo(a).fileName().toCaseFolded();
    const QString y = QFileInfo(b).fileName().toCaseFolded();
    qsizetype i = 0, j = 0;
    while (i < x.size() && j < y.size()) {
        if (x[i].isDigit() && y[j].isDigit()) {
            qsizetype ei = 0, ej = 0;
            const QStringView nx = digitRun(x, i, ei);
            const QStringView ny = digitRun(y, j, ej);
            if (nx.size() != ny.size())
                return nx.size() < ny.size();
            if (nx != ny)
                return nx < ny;
            i = ei;
            j = ej;
        } else {
            if (x[i] != y[j])
                return x[i] < y[j];
            ++i;
            ++j;
        }
    }
    return x.size() - i < y.size() - j;
}

QStringList SortedByName(QStringList paths) {
    std::stable_sort(paths.begin(), paths.end(), BeforeByName);
    return paths;
}

} // namespace pdt::app
