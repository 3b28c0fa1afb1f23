#include "app/for_connection_form.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
const QString kCaption = QStringLiteral("Выбор параметров цикла");
const QString kSelectAllCaption = QStringLiteral("Выделить все");
const QString kClearAllCaption = QStringLiteral("Отменить все");
const QString kFromCaption = QStringLiteral("От:");
const QString kToCaption = QStringLiteral("До:");
const QString kFillCaption = QStringLiteral("Заполнить");
const QString kRecoverCaption = QStringLiteral("Восстановить");
const QString kOkCaption = QStringLiteral("OK");
const QString kCancelCaption = QStringLiteral("Отмена");
constexpr int kMaxNumber = 255;
constexpr int kMaxSpan = 255;

QSpinBox* NewUpDown(QWidget* parent)
{
    auto* upDown = new QSpinBox(parent);
    upDown->setRange(0, kMaxNumber);
    return upDown;
}
}  // namespace

TForConnectionForm::TForConnectionForm(QWidget* parent)
    : QDialog(parent),
      ForConnectionLabel(new QLabel(this)),
      clbNumber(new QListWidget(this)),
      OtUpDown(NewUpDown(this)),
      DoUpDown(NewUpDown(this)),
      ChangeBtn(new QPushButton(kFillCaption, this)),
      RecoverBtn(new QPushButton(kRecoverCaption, this)),
      OkBtn(new QPushButton(kOkCaption, this)),
      CancelBtn(new QPushButton(kCancelCaption, this)),
      SelectAllItem(new QAction(kSelectAllCaption, this)),
      ClearAllItem(new QAction(kClearAllCaption, this))
{
    setWindowTitle(kCaption);
    QFont bold = ForConnectionLabel->font();
    bold.setBold(true);
    ForConnectionLabel->setFont(bold);

    clbNumber->setContextMenuPolicy(Qt::ActionsContextMenu);
    clbNumber->addAction(SelectAllItem);
    clbNumber->addAction(ClearAllItem);
    OkBtn->setDefault(true);

    auto* side = new QGridLayout;
    side->addWidget(new QLabel(kFromCaption, this), 0, 0);
    side->addWidget(OtUpDown, 0, 1);
    side->addWidget(new QLabel(kToCaption, this), 1, 0);
    side->addWidget(DoUpDown, 1, 1);
    side->addWidget(ChangeBtn, 2, 0, 1, 2);
    side->addWidget(RecoverBtn, 3, 0, 1, 2);
    side->setRowStretch(4, 1);
    side->addWidget(OkBtn, 5, 0, 1, 2);
    side->addWidget(CancelBtn, 6, 0, 1, 2);

    auto* body = new QHBoxLayout;
    body->addWidget(clbNumber, 1);
    body->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ForConnectionLabel);
    layout->addLayout(body);

    connect(SelectAllItem, &QAction::triggered, this, [this] { SetAllTicks(true); });
    connect(ClearAllItem, &QAction::triggered, this, [this] { SetAllTicks(false); });
    connect(ChangeBtn, &QPushButton::clicked, this, &TForConnectionForm::Fill);
    connect(RecoverBtn, &QPushButton::clicked, this, &TForConnectionForm::Recover);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

bool TForConnectionForm::Execute() { return exec() == QDialog::Accepted; }

void TForConnectionForm::Setup(const QString& pattern, int from, int to)
{
    ForConnectionLabel->setText(pattern);
    OtUpDown->setValue(from);
    DoUpDown->setValue(to);
    Fill();
}

QString TForConnectionForm::Pattern() const { return ForConnectionLabel->text(); }
int TForConnectionForm::From() const { return OtUpDown->value(); }
int TForConnectionForm::To() const { return DoUpDown->value(); }

bool TForConnectionForm::IsTicked(int index) const
{
    const QListWidgetItem* item = clbNumber->item(index);
    return item && item->checkState() == Qt::Checked;
}

void TForConnectionForm::Fill()
{
    const int from = From();
    const int to = To();
    const int step = to >= from ? 1 : -1;
    const int span = (to - from) * step;
    if (span > kMaxSpan) return;
    clbNumber->clear();
    for (int k = 0; k <= span; ++k) {
        auto* item = new QListWidgetItem(QString::number(from + step * k), clbNumber);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

void TForConnectionForm::Recover()
{
    OtUpDown->setValue(ShownFrom);
    DoUpDown->setValue(ShownTo);
    Fill();
}

void TForConnectionForm::showEvent(QShowEvent* event)
{
    ShownFrom = From();
    ShownTo = To();
    QDialog::showEvent(event);
}

void TForConnectionForm::SetAllTicks(bool ticked)
{
    for (int k = 0; k < clbNumber->count(); ++k)
        clbNumber->item(k)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}
