#include "ContactsBench.h"

#include "Measure.h"
#include "pim/VCardReader.h"
#include "platform/SettingsStore.h"
#ifdef CORVANE_BENCH_OUTLOOK
#include "outlook/OutlookContacts.h"
#include "pim/FilePimApplication.h"
#include "pim/PimFolders.h"
#endif

#include <QDir>
#include <QLocale>
#include <cstdio>

namespace {
constexpr int Repeats = 5;
}

ContactsBench::ContactsBench(const QString& folder, int count) : m_folder(folder), m_count(count) {}

void ContactsBench::run() {
    const QString contacts = QDir(m_folder).filePath(QStringLiteral("Contacts"));
    if (const PimResult written = VCardReader::writeSampleContacts(contacts, m_count); !written) {
        std::printf("contacts: %s\n", written.message().toUtf8().constData());
        return;
    }
    std::vector<double> times;
    qint64 read = 0;
#ifdef CORVANE_BENCH_OUTLOOK
    // The adapter on folders of our own, never the user's.
    const PimFolders folders(contacts, QDir(m_folder).filePath(QStringLiteral("Calendar")),
                             QDir(m_folder).filePath(QStringLiteral("Drafts")));
    PimApplication::setFactory([folders] { return FilePimApplication::open(folders); });
    const QString what = QStringLiteral("read %1 contacts (LoadContacts)");
    SettingsStore settings(QDir(m_folder).filePath(QStringLiteral("Corvane.ini")));
    for (int i = 0; i < Repeats; ++i) {
        OutlookContacts outlook(settings);
        times.push_back(Measure::ms([&] { outlook.loadContacts(); }));
        read = outlook.outlookError() ? -1 : outlook.count();
        if (outlook.outlookError())
            std::printf("contacts: %s\n", outlook.outlookErrorMessage().toUtf8().constData());
    }
    PimApplication::setFactory({});
#else
    const QString what = QStringLiteral("read %1 contacts (vCard folder)");
    for (int i = 0; i < Repeats; ++i) {
        times.push_back(Measure::ms([&] {
            const auto outcome = VCardReader::readFolder(contacts);
            read = outcome ? outcome->contacts.size() : -1;
        }));
    }
#endif
    const double ms = Measure::median(times);
    Measure::line(what.arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(m_count)),
                  Measure::duration(ms), QStringLiteral("%1 read").arg(read),
                  QStringLiteral("<1 s"), ms < 1000.0 && read == m_count);
    runCraftedFiles();
}

// Ten megabytes shaped against the reader: thousands of soft line breaks, an unclosed quote, an
// endless parameter list. Each must read in linear time like any other file of that size.
void ContactsBench::runCraftedFiles() {
    constexpr int Size = 10 * 1024 * 1024;
    const QByteArray end("\r\nEND:VCARD\r\n");
    const struct {
        const char* what;
        QByteArray data;
    } shapes[] = {
        {"folded soft breaks",
         "BEGIN:VCARD\r\nNOTE" + QByteArray("\r\n =").repeated(Size / 4) + end},
        {"quoted-printable soft breaks", "BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:" +
                                             QByteArray("=\r\n").repeated(Size / 3) + "x" + end},
        {"unclosed quote",
         "BEGIN:VCARD\r\nNOTE;X=\"" + QByteArray("a=\r\n ").repeated(Size / 5) + end},
        {"endless parameter list",
         "BEGIN:VCARD\r\nTEL" + QByteArray(";TYPE=work=\r\n ").repeated(Size / 14) + ":1" + end},
    };
    for (const auto& shape : shapes) {
        std::vector<double> times;
        for (int i = 0; i < 3; ++i)
            times.push_back(Measure::ms([&] { (void)VCardReader::parse(shape.data); }));
        const double ms = Measure::median(times);
        Measure::line(
            QStringLiteral("read a 10 MB crafted vCard (%1)").arg(QLatin1String(shape.what)),
            Measure::duration(ms), {}, QStringLiteral("<1 s"), ms < 1000.0);
    }
}
