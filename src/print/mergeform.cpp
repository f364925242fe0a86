#include "mergeform.h"

#include "base/runtimeerror.h"
#include "base/uiservices.h"
#include "document/carddocument.h"
#include "editor/cardcanvas.h"
#include "mergesource.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <optional>

// The staff list as a table: a check box for each person (ticked: printed),
// the columns, and the problem of each person's card, worked out when the
// row is first shown so that a long list opens at once.
class StaffTableModel : public QAbstractTableModel {
public:
    StaffTableModel(const Card& card, const StaffList& list, QList<int> skipped, QObject* parent)
        : QAbstractTableModel(parent), m_card(card), m_list(list), m_ticked(list.rows.size(), true),
          m_problems(list.rows.size()) {
        for (int record : skipped)
            if (record >= 1 && size_t(record) <= m_ticked.size())
                m_ticked[size_t(record - 1)] = false;
    }

    int rowCount(const QModelIndex& = {}) const override { return int(m_list.rows.size()); }
    int columnCount(const QModelIndex& = {}) const override {
        return int(m_list.header.size()) + 2;
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (role != Qt::DisplayRole)
            return {};
        if (o == Qt::Vertical)
            return section + 1;
        if (section == 0)
            return QStringLiteral("印刷");
        if (section == columnCount() - 1)
            return QStringLiteral("問題");
        return m_list.header.value(section - 1);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const size_t row = size_t(index.row());
        const int column = index.column();
        if (column == 0 && role == Qt::CheckStateRole)
            return m_ticked[row] ? Qt::Checked : Qt::Unchecked;
        const bool problemColumn = column == columnCount() - 1;
        if (role == Qt::DisplayRole && problemColumn)
            return problem(index.row());
        if (role == Qt::DisplayRole && column > 0)
            return m_list.rows[row].value(column - 1);
        if (role == Qt::BackgroundRole && !problem(index.row()).isEmpty())
            return QBrush(QColor(255, 220, 220));
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == 0)
            f |= Qt::ItemIsUserCheckable;
        return f;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (index.column() != 0 || role != Qt::CheckStateRole)
            return false;
        m_ticked[size_t(index.row())] = value.toInt() == Qt::Checked;
        emit dataChanged(index, index);
        return true;
    }

    QList<int> skipped() const {
        QList<int> out;
        for (size_t k = 0; k < m_ticked.size(); ++k)
            if (!m_ticked[k])
                out.append(int(k) + 1);
        return out;
    }
    const QString& problem(int row) const {
        std::optional<QString>& p = m_problems[size_t(row)];
        if (!p)
            p = MergeProblem(m_card, m_list, row);
        return *p;
    }
    // The card changed: every problem is worked out again when shown.
    void cardChanged() {
        std::fill(m_problems.begin(), m_problems.end(), std::nullopt);
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }

private:
    const Card& m_card;
    const StaffList& m_list;
    std::vector<bool> m_ticked;
    mutable std::vector<std::optional<QString>> m_problems;
};

MergeForm::MergeForm(CardDocument& doc, UiServices& ui, CardCanvas* canvas, QWidget* parent)
    : QWidget(parent, Qt::Window), m_doc(doc), m_ui(ui), m_canvas(canvas) {
    setObjectName(QStringLiteral("MergeForm"));
    setWindowTitle(QStringLiteral("差し込み印刷"));
    auto* layout = new QVBoxLayout(this);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("名簿 (CSV) :"), this));
    fileField = new QLineEdit(this);
    fileField->setObjectName(QStringLiteral("fileField"));
    fileField->setReadOnly(true);
    fileButton = new QPushButton(QStringLiteral("参照..."), this);
    fileButton->setObjectName(QStringLiteral("fileButton"));
    fileRow->addWidget(fileField, 1);
    fileRow->addWidget(fileButton);
    layout->addLayout(fileRow);

    auto* modes = new QGroupBox(QStringLiteral("印刷のしかた"), this);
    auto* modeRow = new QHBoxLayout(modes);
    sheetsEachOption = new QRadioButton(QStringLiteral("一人ずつ"), modes);
    sheetsEachOption->setObjectName(QStringLiteral("sheetsEachOption"));
    sheetsField = new QSpinBox(modes);
    sheetsField->setObjectName(QStringLiteral("sheetsField"));
    sheetsField->setRange(1, MaxMergeSheets);
    sheetsField->setSuffix(QStringLiteral(" 枚"));
    sheetsField->setKeyboardTracking(false);
    oneEachOption = new QRadioButton(QStringLiteral("一人１枚の名刺を順に並べる"), modes);
    oneEachOption->setObjectName(QStringLiteral("oneEachOption"));
    modeRow->addWidget(sheetsEachOption);
    modeRow->addWidget(sheetsField);
    modeRow->addSpacing(16);
    modeRow->addWidget(oneEachOption);
    modeRow->addStretch(1);
    layout->addWidget(modes);

    table = new QTableView(this);
    table->setObjectName(QStringLiteral("table"));
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table, 1);

    fieldButtons = new QWidget(this);
    fieldButtons->setObjectName(QStringLiteral("fieldButtons"));
    new QHBoxLayout(fieldButtons);
    layout->addWidget(fieldButtons);

    auto* bottom = new QHBoxLayout;
    previousButton = new QPushButton(QStringLiteral("◀"), this);
    previousButton->setObjectName(QStringLiteral("previousButton"));
    personLabel = new QLabel(this);
    personLabel->setObjectName(QStringLiteral("personLabel"));
    nextButton = new QPushButton(QStringLiteral("▶"), this);
    nextButton->setObjectName(QStringLiteral("nextButton"));
    printButton = new QPushButton(QStringLiteral("印刷..."), this);
    printButton->setObjectName(QStringLiteral("printButton"));
    closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    bottom->addWidget(previousButton);
    bottom->addWidget(personLabel);
    bottom->addWidget(nextButton);
    bottom->addStretch(1);
    bottom->addWidget(printButton);
    bottom->addWidget(closeButton);
    layout->addLayout(bottom);
    setProperty("escapeButton", QVariant::fromValue<QObject*>(closeButton));

    const MergeSettings s = ParseMergeSettings(doc.card.Merge);
    sheetsField->setValue(s.sheets);
    (s.oneEach ? oneEachOption : sheetsEachOption)->setChecked(true);
    connect(fileButton, &QPushButton::clicked, this, &MergeForm::chooseFile);
    connect(sheetsField, &QSpinBox::valueChanged, this, [this] { settingsChanged(false); });
    connect(oneEachOption, &QRadioButton::toggled, this, [this] { settingsChanged(false); });
    connect(previousButton, &QPushButton::clicked, this, [this] { showPerson(m_shown - 1); });
    connect(nextButton, &QPushButton::clicked, this, [this] { showPerson(m_shown + 1); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(printButton, &QPushButton::clicked, this, [this] {
        if (m_staff)
            emit printRequested(m_staff, settings());
    });
    // A line edited while the window is open: the people are merged again.
    connect(&doc, &CardDocument::changed, this, [this](CardPart part, int) {
        if (part == CardPart::Merge)
            return;
        if (m_model)
            m_model->cardChanged();
        if (m_shown >= 0)
            showPerson(m_shown);
    });
    if (!s.file.isEmpty())
        loadList(s.file);
    showList();
    resize(640, 480);
}

MergeForm::~MergeForm() {
    // The model reads the list this window holds, which goes before the
    // children: the table must not ask the model as it is hidden.
    table->setModel(nullptr);
    delete m_model;
    m_model = nullptr;
}

MergeSettings MergeForm::settings() const {
    MergeSettings s;
    s.file = fileField->text();
    s.oneEach = oneEachOption->isChecked();
    s.sheets = sheetsField->value();
    if (m_model)
        s.skipped = m_model->skipped();
    return s;
}

bool MergeForm::loadList(const QString& path) {
    try {
        m_ui.setBusy(true);
        auto list = std::make_shared<StaffList>(ReadStaffList(path));
        m_ui.setBusy(false);
        const bool sameFile = path == fileField->text();
        m_staff = std::move(list);
        fileField->setText(path);
        const QList<int> skipped = sameFile || path == ParseMergeSettings(m_doc.card.Merge).file
                                       ? ParseMergeSettings(m_doc.card.Merge).skipped
                                       : QList<int>{};
        delete m_model;
        m_model = new StaffTableModel(m_doc.card, *m_staff, skipped, this);
        connect(m_model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& from) {
            if (from.column() == 0)
                settingsChanged(true);
        });
        showList();
        showPerson(0);
        return true;
    } catch (const RuntimeError& e) {
        m_ui.setBusy(false);
        m_ui.message(e.message(), UiServices::fileDetail(path));
        return false;
    }
}

void MergeForm::showList() {
    table->setModel(m_model);
    if (m_model)
        connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex& current) {
                    if (current.row() != m_shown)
                        showPerson(current.row());
                });
    // A button for each column puts its field into the current line.
    QLayout* row = fieldButtons->layout();
    while (QLayoutItem* item = row->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (m_staff) {
        row->addWidget(new QLabel(QStringLiteral("差し込む項目 :"), fieldButtons));
        for (const QString& column : m_staff->header) {
            auto* b = new QPushButton(column, fieldButtons);
            const QString field = u'{' + column + u'}';
            b->setToolTip(QStringLiteral("今の行に %1 を入れます").arg(field));
            connect(b, &QPushButton::clicked, this, [this, field] { emit fieldChosen(field); });
            row->addWidget(b);
        }
    }
    static_cast<QHBoxLayout*>(row)->addStretch(1);
    const bool loaded = m_staff && !m_staff->rows.empty();
    for (QWidget* w : std::initializer_list<QWidget*>{previousButton, nextButton, printButton})
        w->setEnabled(loaded);
    if (!loaded)
        personLabel->setText(QStringLiteral("名簿を選んでください"));
}

void MergeForm::showPerson(int record) {
    if (!m_staff || m_staff->rows.empty())
        return;
    m_shown = std::clamp(record, 0, int(m_staff->rows.size()) - 1);
    const Card person = PersonCard(m_doc.card, *m_staff, m_shown);
    m_canvas->showCard(&person);
    personLabel->setText(QStringLiteral("%1 / %2 人目").arg(m_shown + 1).arg(m_staff->rows.size()));
    previousButton->setEnabled(m_shown > 0);
    nextButton->setEnabled(m_shown + 1 < int(m_staff->rows.size()));
    if (table->currentIndex().row() != m_shown)
        table->selectRow(m_shown);
}

void MergeForm::chooseFile() {
    const QString start = fileField->text().isEmpty()
                              ? QString()
                              : QFileInfo(fileField->text()).absolutePath() + u'/';
    const auto path = m_ui.openFileName(
        start, QStringLiteral("名簿 (CSV, TSV)|*.csv;*.tsv;*.txt|すべてのファイル|*|"));
    if (path && loadList(*path))
        settingsChanged(false);
}

void MergeForm::settingsChanged(bool mergeable) {
    sheetsField->setEnabled(!oneEachOption->isChecked());
    const QString stored = FormatMergeSettings(settings());
    if (stored == m_doc.card.Merge)
        return;
    m_doc.card.Merge = stored;
    m_doc.markChanged(CardChange::Merge, -1, mergeable);
}

void MergeForm::closeEvent(QCloseEvent* event) {
    m_canvas->showCard(nullptr);
    event->accept();
}
