// The info pane "情報": the bytes at the cursor as numbers and bits, the file size, the cursor
// address and the selection length.
#include "panes/BinaryInfoWnd.h"

#include "app/MessageTargets.h"
#include "app/Messages.h"
#include "panes/OutputList.h"
#include "view/QuorvaneView.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

CBinaryInfoWnd::CBinaryInfoWnd(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("BinaryInfoWnd"));
    const QFont font = COutputList::ListFont();
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);

    auto addRow = [&](int gridRow, int row) {
        auto* label = new QLabel(InfoRows::Label(row), this);
        label->setFont(font);
        auto* value = new QLabel(this);
        value->setFont(font);
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Value fields on the window background, as edit fields would be.
        value->setAutoFillBackground(true);
        value->setBackgroundRole(QPalette::Base);
        value->setAccessibleName(label->text());
        label->setBuddy(value);
        grid->addWidget(label, gridRow, 0);
        grid->addWidget(value, gridRow, 1);
        m_values[row] = value;
    };
    int gridRow = 0;
    for (int row : {InfoRows::Bit, InfoRows::Byte, InfoRows::Word, InfoRows::Byte3, InfoRows::DWord})
        addRow(gridRow++, row);

    // The display mode: two push-like radio buttons.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    m_plus = new QToolButton(this);
    m_minus = new QToolButton(this);
    auto* group = new QButtonGroup(this);
    for (auto [button, text] : {std::pair{m_plus, "+"}, std::pair{m_minus, "-"}}) {
        button->setText(QString::fromLatin1(text));
        button->setAccessibleName(button->text());
        button->setCheckable(true);
        button->setFont(font);
        button->setFixedSize(24, 18);
        group->addButton(button);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    m_plus->setChecked(true);
    grid->addLayout(buttons, gridRow++, 1);
    connect(m_plus, &QToolButton::clicked, this, [this] { SetPlusMode(true); });
    connect(m_minus, &QToolButton::clicked, this, [this] { SetPlusMode(false); });

    for (int row : {InfoRows::FileSize, InfoRows::Address, InfoRows::Range})
        addRow(gridRow++, row);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(gridRow, 1);

    UpdateInfo(InfoRows::MakeInput({}, 0, false, 0, 0, 0));
}

void CBinaryInfoWnd::UpdateInfo(const InfoInput& input)
{
    const InfoRows rows = InfoRows::Compute(input, m_plusMode);
    for (int row = 0; row < InfoRows::RowCount; ++row) {
        if (m_values[row]->text() != rows.text[row]) {
            m_values[row]->setText(rows.text[row]);
            // A screen reader reads the field's name (its label) and then this: the value.
            m_values[row]->setAccessibleDescription(rows.text[row]);
        }
    }
}

QString CBinaryInfoWnd::ValueText(int row) const
{
    return row >= 0 && row < InfoRows::RowCount ? m_values[row]->text() : QString();
}

void CBinaryInfoWnd::SetPlusMode(bool plus)
{
    m_plusMode = plus;
    (plus ? m_plus : m_minus)->setChecked(true);
    QObject* target = m_targetFinder ? m_targetFinder() : FindActiveView(this);
    um::UpdateInfo::Send(target);
}
