#include "Measure.h"

#include <QFile>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <malloc.h>

namespace Measure {

namespace {
int g_targets = 0;
int g_failed = 0;

long statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}
} // namespace

double median(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

size_t heapInUse() {
    malloc_trim(0);
    const struct mallinfo2 info = mallinfo2();
    // Small blocks from the arenas plus the large ones that live in their own mappings.
    return info.uordblks + info.hblkhd;
}

long residentKb() {
    return statusKb("VmRSS");
}

long peakResidentKb() {
    return statusKb("VmHWM");
}

bool resetPeakResident() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

QString duration(double ms) {
    const int decimals = ms >= 100 ? 0 : ms >= 10 ? 1 : ms >= 1 ? 2 : 3;
    return QString::number(ms, 'f', decimals) + QStringLiteral(" ms");
}

QString megabytes(double bytes) {
    return QString::number(bytes / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

void line(const QString& what, const QString& value, const QString& baseline, const QString& target,
          bool pass) {
    QString text = what.leftJustified(50) + QLatin1Char(' ') + value.rightJustified(10);
    if (!baseline.isEmpty())
        text += QStringLiteral("  ") + baseline;
    if (!target.isEmpty()) {
        ++g_targets;
        g_failed += pass ? 0 : 1;
    }
    if (!target.isEmpty())
        text += QStringLiteral("  target ") + target +
                (pass ? QStringLiteral(": PASS") : QStringLiteral(": FAIL"));
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

int targetCount() {
    return g_targets;
}

int failedTargets() {
    return g_failed;
}

} // namespace Measure
