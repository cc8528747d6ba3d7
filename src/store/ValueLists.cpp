#include "store/ValueLists.h"

namespace ValueLists {

const QStringList& probability() {
    static const QStringList list{QStringLiteral("0% - Lost"),
                                  QStringLiteral("25% - Long Shot"),
                                  QStringLiteral("50% - Competitive"),
                                  QStringLiteral("75% - Favored"),
                                  QStringLiteral("90% - Verbal Commitment"),
                                  QStringLiteral("100% - Won")};
    return list;
}

const QStringList& stage() {
    static const QStringList list{QStringLiteral("Lead"),
                                  QStringLiteral("Identify Opportunity"),
                                  QStringLiteral("Assess Business"),
                                  QStringLiteral("Develop Solution"),
                                  QStringLiteral("Present/Propose"),
                                  QStringLiteral("Gain Commitment"),
                                  QStringLiteral("Implement/Confirm")};
    return list;
}

const QStringList& source() {
    static const QStringList list{QStringLiteral("Advertising"),
                                  QStringLiteral("Article"),
                                  QStringLiteral("Call in/Walk in"),
                                  QStringLiteral("Direct mail"),
                                  QStringLiteral("Email"),
                                  QStringLiteral("Friend/Co-worker/referal"),
                                  QStringLiteral("Internet Search"),
                                  QStringLiteral("Online banner"),
                                  QStringLiteral("Partner Referal"),
                                  QStringLiteral("Partner Website"),
                                  QStringLiteral("Public Relations"),
                                  QStringLiteral("Seminar"),
                                  QStringLiteral("Trade Show"),
                                  QStringLiteral("Web Seminar"),
                                  QStringLiteral("Vantick")};
    return list;
}

} // namespace ValueLists
