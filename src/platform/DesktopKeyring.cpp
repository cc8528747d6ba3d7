#include "platform/DesktopKeyring.h"

#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("Corvane team databases");

// Runs `job` and waits for it; "" when it succeeded (after `succeeded` ran on the finished
// job), else why not. A job that does not finish in time is left to end by itself: it deletes
// itself then, and nothing here hears of it any more.
QString run(QKeychain::Job* job, const std::function<void()>& succeeded = {}) {
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    QEventLoop loop;
    QString failure = QStringLiteral("the desktop's keyring did not answer");
    bool finished = false;
    // Connected through the loop: the connection ends with it.
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* done) {
        finished = true;
        if (done->error() == QKeychain::NoError) {
            failure.clear();
            if (succeeded)
                succeeded();
        } else {
            failure = done->errorString();
        }
        loop.quit();
    });
    QTimer::singleShot(DesktopKeyring::TimeoutMs, &loop, &QEventLoop::quit);
    job->start();
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return failure;
}

} // namespace

std::optional<QString> DesktopKeyring::read(const QString& location) {
    auto* job = new QKeychain::ReadPasswordJob(Service);
    job->setKey(location);
    QString password;
    if (!run(job, [&password, job] { password = job->textData(); }).isEmpty() || password.isEmpty())
        return std::nullopt;
    return password;
}

Result DesktopKeyring::write(const QString& location, const QString& password) {
    auto* job = new QKeychain::WritePasswordJob(Service);
    job->setKey(location);
    job->setTextData(password);
    if (const QString failure = run(job); !failure.isEmpty())
        return Result::failure(failure);
    return {};
}

void DesktopKeyring::remove(const QString& location) {
    auto* job = new QKeychain::DeletePasswordJob(Service);
    job->setKey(location);
    run(job);
}
