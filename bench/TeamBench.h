#pragma once

#include <QString>

// The team database figures, on a private PostgreSQL server that the bench starts itself (when
// the server's programs are installed) with the server's defaults, so that every commit waits
// for its flush to the disk: opening the sample pipeline from the server beside opening its file
// in the same run, one add over loopback and where its time goes (round trip, statement,
// triggers, the flush, the client), and how soon a second client hears of a change.
class TeamBench {
public:
    explicit TeamBench(const QString& samplePath);
    void run();

private:
    QString m_samplePath;
};
