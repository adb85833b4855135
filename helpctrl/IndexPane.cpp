#include "helpctrl/NavigationPanes.h"
#include "helpctrl/TopicText.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

std::u16string_view Units(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.constData()), size_t(text.size())};
}

QString TitleOf(const SitemapTopic& topic)
{
    return QString::fromStdString(topic.Title.empty() ? topic.Local : topic.Title);
}

// The topics of a keyword that leads to several, to choose one from; shown without blocking, so
// the window goes on answering while it is open.
void ChooseTopic(QWidget* window, const std::vector<SitemapTopic>& topics, const ShowTopicFunction& show)
{
    auto* dialog = new QDialog(window);
    dialog->setObjectName(QStringLiteral("topicChooser"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Rubriques trouvées"));
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(QStringLiteral("Cliquez sur une rubrique, puis sur Afficher :"), dialog));
    auto* list = new QListWidget(dialog);
    list->setObjectName(QStringLiteral("topicChoices"));
    for (const SitemapTopic& topic : topics)
        list->addItem(TitleOf(topic));
    list->setCurrentRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QStringLiteral("Afficher"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Annuler"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemActivated, dialog, &QDialog::accept);
    QObject::connect(dialog, &QDialog::accepted, dialog, [list, topics, show] {
        if (const int row = list->currentRow(); row >= 0 && size_t(row) < topics.size())
            show(topics[size_t(row)].Local, {});
    });
    dialog->resize(380, 260);
    dialog->open();
}

} // namespace

IndexPane::IndexPane(const std::vector<SitemapEntry>& keywords, ShowTopicFunction show, QWidget* parent)
    : QWidget(parent), m_Show(std::move(show)), m_Field(new QLineEdit(this)), m_List(new QListWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Tapez le mot-clé à rechercher :"), this));
    m_Field->setObjectName(QStringLiteral("indexField"));
    layout->addWidget(m_Field);
    m_List->setObjectName(QStringLiteral("indexList"));
    // Every line is one line of text: the list need not measure each of thousands.
    m_List->setUniformItemSizes(true);
    layout->addWidget(m_List);
    auto* showButton = new QPushButton(QStringLiteral("Afficher"), this);
    showButton->setObjectName(QStringLiteral("indexShow"));
    layout->addWidget(showButton, 0, Qt::AlignRight);
    // Sub-keywords follow their keyword, set in. The lines are added at once: one insertion.
    QStringList lines;
    const auto add = [this, &lines](const SitemapEntry& entry, const QString& indent) {
        const QString name = QString::fromStdString(entry.Name);
        lines.append(indent + name);
        m_Keywords.push_back(&entry);
        m_Folded.push_back(TopicText::Fold(Units(name)));
    };
    for (const SitemapEntry& keyword : keywords) {
        add(keyword, QString());
        for (const SitemapEntry& sub : keyword.Children)
            add(sub, QStringLiteral("    "));
    }
    m_List->addItems(lines);
    connect(m_Field, &QLineEdit::textEdited, this, &IndexPane::SelectFirstStartingWith);
    connect(m_Field, &QLineEdit::returnPressed, this, [this] { ShowKeyword(m_List->currentItem()); });
    connect(m_List, &QListWidget::itemActivated, this, &IndexPane::ShowKeyword);
    connect(showButton, &QPushButton::clicked, this, [this] { ShowKeyword(m_List->currentItem()); });
}

void IndexPane::SelectFirstStartingWith(const QString& typed)
{
    const std::string folded = TopicText::Fold(Units(typed.trimmed()));
    if (folded.empty())
        return;
    for (size_t row = 0; row < m_Folded.size(); ++row) {
        if (m_Folded[row].compare(0, folded.size(), folded) == 0) {
            m_List->setCurrentRow(int(row));
            m_List->scrollToItem(m_List->item(int(row)), QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

void IndexPane::ShowKeyword(QListWidgetItem* item)
{
    const int row = item != nullptr ? m_List->row(item) : -1;
    if (row < 0 || size_t(row) >= m_Keywords.size())
        return;
    const std::vector<SitemapTopic>& topics = m_Keywords[size_t(row)]->Topics;
    if (topics.size() == 1)
        m_Show(topics.front().Local, {});
    else if (topics.size() > 1)
        ChooseTopic(window(), topics, m_Show);
}
