// TODSHelp: the form's help list and the search from a control to the text that speaks for it.
#include "controls/ods_help.h"

#include <QSet>
#include <algorithm>
#include <QWidget>

namespace controls {

namespace {

// Every form of the program sets this popup colour over the component's own default.
const QColor kFormHelpColor(128, 255, 255);

const QString kRedirect = QStringLiteral("->");
// A redirect names another entry in the rest of its text, of which this much is read.
constexpr qsizetype kMaxRedirectName = 253;

bool HasText(const THelpEntry& entry) { return entry.record.text && !entry.record.text->isEmpty(); }

}  // namespace

TODSHelp::TODSHelp(QObject* parent)
    : QObject(parent),
      color_(255, 255, 232),
      font_(QStringLiteral("MS Sans Serif")),
      moreText_(QStringLiteral("Click here or press F1 for more...")) {
    font_.setPixelSize(11);
}

TODSHelp* TODSHelp::Install(QWidget* form, const QString& formName) {
    auto* help = new TODSHelp(form);
    help->setObjectName(QStringLiteral("ODSHelp1"));
    help->SetColor(kFormHelpColor);
    auto loaded = LoadFormHelpText(formName);
    // A list that does not load leaves the form without texts; the form itself still works.
    if (auto* entries = std::get_if<THelpText>(&loaded))
        help->SetHelpText(std::move(*entries));
    return help;
}

TODSHelp* TODSHelp::Of(const QWidget* form) {
    if (!form)
        return nullptr;
    const auto all = form->findChildren<TODSHelp*>(Qt::FindDirectChildrenOnly);
    return all.isEmpty() ? nullptr : all.back();
}

std::optional<THelpRecord> TODSHelp::Lookup(const QString& name) const {
    QSet<QString> visited;
    QString wanted = name;
    for (;;) {
        if (visited.contains(wanted))
            return std::nullopt;  // a redirect chain that came back on itself
        visited.insert(wanted);
        const auto hit = std::find_if(helpText_.cbegin(), helpText_.cend(), [&](const THelpEntry& e) {
            return e.name == wanted && HasText(e);
        });
        if (hit == helpText_.cend())
            return std::nullopt;
        if (!hit->record.text->startsWith(kRedirect))
            return hit->record;
        wanted = hit->record.text->mid(kRedirect.size(), kMaxRedirectName);
    }
}

std::optional<TODSHelp::Found> TODSHelp::Find(const QWidget* control) const {
    const QWidget* owner = form();
    if (!control || !owner || (control != owner && !owner->isAncestorOf(control)))
        return std::nullopt;
    for (const QWidget* w = control; w; w = w->parentWidget()) {
        if (auto record = Lookup(w->objectName()))
            return Found{*record->text, record->context, w};
        if (w == owner)
            break;
    }
    return std::nullopt;
}

QFont TODSHelp::PopupFont() const {
    const QWidget* owner = form();
    return parentFont_ && owner ? owner->font() : font_;
}

const QWidget* TODSHelp::form() const { return qobject_cast<const QWidget*>(parent()); }

}  // namespace controls
