// The address box's drop target: every drag shows the move effect, no drop changes the box or
// reports a completed move back to the source.

#include "tools/DropTarget.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QtTest>

#include <memory>

namespace {

enum class Payload { Text, Urls, Nothing };

std::unique_ptr<QMimeData> MakePayload(Payload payload) {
    auto data = std::make_unique<QMimeData>();
    if (payload == Payload::Text)
        data->setText(u"http://dragged.example/"_qs);
    else if (payload == Payload::Urls)
        data->setUrls({QUrl::fromLocalFile(u"/tmp/dragged.html"_qs)});
    return data;
}

} // namespace

class TestDropTarget final : public QObject {
    Q_OBJECT
private slots:
    void dragAndDrop_data() {
        QTest::addColumn<int>("payload");
        QTest::addColumn<int>("possible");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("shown"); // the effect the drag shows
        const int copyMove = Qt::CopyAction | Qt::MoveAction;
        const int move = Qt::MoveAction;
        QTest::newRow("text, copy or move") << int(Payload::Text) << copyMove << 0 << move;
        QTest::newRow("text, Ctrl held")
            << int(Payload::Text) << copyMove << int(Qt::ControlModifier) << move;
        QTest::newRow("file URL, all")
            << int(Payload::Urls) << int(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) << 0
            << move;
        QTest::newRow("no data") << int(Payload::Nothing) << copyMove << 0 << move;
        // Qt keeps a drag's action within what the source offers.
        QTest::newRow("text, copy only")
            << int(Payload::Text) << int(Qt::CopyAction) << 0 << int(Qt::CopyAction);
    }

    // The address box's own line edit would take dropped text; through the target it must not.
    void dragAndDrop() {
        QFETCH(int, payload);
        QFETCH(int, possible);
        QFETCH(int, modifiers);
        QFETCH(int, shown);
        QComboBox box;
        box.setEditable(true);
        box.setEditText(u"file:///start.html"_qs);
        QLineEdit *edit = box.lineEdit();
        TDropTarget::Install(edit);
        QVERIFY(edit->acceptDrops());

        const auto data = MakePayload(Payload(payload));
        const QPointF at(5, 5);
        const auto actions = Qt::DropActions(possible);
        const auto keys = Qt::KeyboardModifiers(modifiers);

        QDragEnterEvent enter(at.toPoint(), actions, data.get(), Qt::LeftButton, keys);
        QCoreApplication::sendEvent(edit, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(int(enter.dropAction()), shown);

        QDragMoveEvent move(at.toPoint(), actions, data.get(), Qt::LeftButton, keys);
        QCoreApplication::sendEvent(edit, &move);
        QVERIFY(move.isAccepted());
        QCOMPARE(int(move.dropAction()), shown);

        QDropEvent drop(at, actions, data.get(), Qt::LeftButton, keys);
        QCoreApplication::sendEvent(edit, &drop);
        QVERIFY(!drop.isAccepted());
        QCOMPARE(drop.dropAction(), Qt::IgnoreAction);
        QCOMPARE(box.currentText(), u"file:///start.html"_qs);
    }
};

QTEST_MAIN(TestDropTarget)
#include "tst_DropTarget.moc"
