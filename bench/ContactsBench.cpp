#include "ContactsBench.h"

#include "Measure.h"
#include "platform/VCardReader.h"

#include <QLocale>
#include <cstdio>

namespace {
constexpr int Repeats = 5;
}

ContactsBench::ContactsBench(const QString& folder, int count) : m_folder(folder), m_count(count) {}

void ContactsBench::run() {
    if (const PimResult written = VCardReader::writeSampleContacts(m_folder, m_count); !written) {
        std::printf("contacts: %s\n", written.message().toUtf8().constData());
        return;
    }
    std::vector<double> times;
    qsizetype read = 0;
    for (int i = 0; i < Repeats; ++i) {
        times.push_back(Measure::ms([&] {
            const auto outcome = VCardReader::readFolder(m_folder);
            read = outcome ? outcome->contacts.size() : -1;
        }));
    }
    const double ms = Measure::median(times);
    Measure::line(QStringLiteral("read %1 contacts (vCard folder)")
                      .arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(m_count)),
                  Measure::duration(ms), QStringLiteral("%1 read").arg(read),
                  QStringLiteral("<1 s"), ms < 1000.0 && read == m_count);
}
