// Shows the opportunity editor on a sample opportunity, for looking at its layout
// (tools/look.sh), and times opening it and New -> OK on a given database:
//   editor-look                 shows the dialog
//   editor-look --time FILE     prints the times on FILE (a copy is changed, not FILE)
#include "editor/OrderDateRule.h"
#include "editor/frm_Edit.h"
#include "platform/SettingsStore.h"
#include "settings/User.h"
#include "store/CVN_Database.h"
#include "store/Opportunity.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int timeOn(const QString& source) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Pipeline.mdb"));
    QFile::copy(source, path);
    CVN_Database database;
    database.setDatabaseLocation(path);
    if (!database.OpenDatabase())
        return 1;
    frm_Edit editor;
    const QString key = database.Opportunities().KeyAt(database.Opportunities().Count() / 2);
    const int count = static_cast<int>(database.Opportunities().Count());
    std::vector<double> open, fill, newOk, add, edit, write, storeWrite;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer timer;
        timer.start();
        Opportunity* item = database.Opportunities().Item(key);
        editor.Edit(*item, [&](Opportunity&) { return database.UpdateDBOpportunity(key); });
        fill.push_back(timer.nsecsElapsed() / 1e6);
        editor.show();
        QApplication::processEvents();
        open.push_back(timer.nsecsElapsed() / 1e6);
        editor.hide();

        timer.restart();
        QElapsedTimer step;
        step.start();
        Opportunity fresh;
        if (!database.AddOpportunity(fresh))
            return 1;
        add.push_back(step.nsecsElapsed() / 1e6);
        step.restart();
        const QString newKey = ::Opportunities::KeyFor(fresh.RecordNumber());
        Opportunity* added = database.Opportunities().Item(newKey);
        editor.EditNew(
            *added,
            [&](Opportunity&) {
                QElapsedTimer store;
                store.start();
                const Result written = database.UpdateDBOpportunity(newKey);
                storeWrite.push_back(store.nsecsElapsed() / 1e6);
                return written;
            },
            [&] { return database.RemoveOpportunity(newKey); });
        editor.show();
        QApplication::processEvents();
        edit.push_back(step.nsecsElapsed() / 1e6);
        step.restart();
        editor.accept();
        write.push_back(step.nsecsElapsed() / 1e6);
        newOk.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("open the editor on one of %d: %.2f ms (Edit %.2f, the rest showing it); New -> "
                "OK: %.2f ms (add %.2f, editor "
                "%.2f, OK %.2f of which the file's update %.2f; medians of 15)\n",
                count, median(open), median(fill), median(newOk), median(add), median(edit),
                median(write), median(storeWrite));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The profile is read (Outlook use) from a settings file of its own, never the user's.
    QTemporaryDir settings;
    SettingsStore::setFilePath(settings.filePath(QStringLiteral("Corvane.ini")));
    struct ReleaseProfile {
        ~ReleaseProfile() { User::releaseInstance(); }
    } releaseProfile;
    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--time"))
        return timeOn(QString::fromLocal8Bit(argv[2]));
    Opportunity sample;
    sample.setDescription(QStringLiteral("Network upgrade for the Leeds office"));
    sample.setCompany(QStringLiteral("Harbour Logistics Ltd"));
    sample.setDepartment(QStringLiteral("IT Operations"));
    sample.setContact(QStringLiteral("Morgan, Alex"));
    sample.setNote(QStringLiteral("Wants a quote before the board meeting."));
    sample.setProduct(QStringLiteral("Switch 48-port"));
    sample.setUnitPrice(QStringLiteral("1,250.00"));
    sample.setQuantity(QStringLiteral("12.00"));
    sample.setStage(QStringLiteral("Develop Solution"));
    sample.setProbability(QStringLiteral("75% - Favored"));
    sample.setSource(QStringLiteral("Trade Show"));
    sample.setForecast(QStringLiteral("Yes"));
    OrderDateRule::Write(QDate::currentDate().addDays(40), sample);
    frm_Edit editor;
    editor.Edit(sample, [](Opportunity&) { return Result(); });
    editor.show();
    if (argc == 2 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--close"))
        QTimer::singleShot(300, &editor, &QDialog::close);
    return app.exec();
}
