#include <QtTest>
class tst_frm_Edit : public QObject {
    Q_OBJECT
};
QTEST_MAIN(tst_frm_Edit)
#include "tst_frm_Edit.moc"
