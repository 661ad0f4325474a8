#include "app/AddressCompletion.h"

#include <QComboBox>
#include <QCompleter>
#include <QFileSystemModel>
#include <QLineEdit>

TAddressCompletion *TAddressCompletion::Install(QComboBox &box) {
    return new TAddressCompletion(box);
}

TAddressCompletion::TAddressCompletion(QComboBox &box) : QObject(&box), FBox(box) {
    FFiles = new QFileSystemModel(this);
    FFiles->setRootPath(QString());
    FCompleter = new QCompleter(box.model(), this);
    FCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    FCompleter->setCompletionMode(QCompleter::PopupCompletion);
    box.setCompleter(FCompleter);
    connect(box.lineEdit(), &QLineEdit::textChanged, this, &TAddressCompletion::FollowText);
}

void TAddressCompletion::FollowText(const QString &text) {
    QAbstractItemModel *wanted =
        text.startsWith(u'/') ? static_cast<QAbstractItemModel *>(FFiles) : FBox.model();
    if (FCompleter->model() != wanted)
        FCompleter->setModel(wanted);
}
