#include <QTest>
class TestTerm : public QObject { Q_OBJECT };
QTEST_MAIN(TestTerm)
#include "tst_term.moc"
