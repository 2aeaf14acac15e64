// TODSHelp: a form's what's-this help texts, one per control name, and the rules that find
// the text for a control (redirects, then the control's parents up to the form).
#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

#include "controls/help_data.h"

class QWidget;

namespace controls {

class TODSHelp : public QObject {
    Q_OBJECT

  public:
    // The component with the defaults it is born with; a form's component comes from Install.
    explicit TODSHelp(QObject* parent = nullptr);

    // Puts the component on `form` (as its child "ODSHelp1") with the entries compiled in for
    // `formName` and the popup colour every form of the program sets. A form without compiled-in
    // entries gets an empty list, so that it shows nothing rather than failing.
    static TODSHelp* Install(QWidget* form, const QString& formName);
    // The form's component, or null; the last one when a form carries several.
    static TODSHelp* Of(const QWidget* form);

    struct Found {
        QString text;
        quint32 context = 0;
        const QWidget* control = nullptr;  // the control whose entry gave the text
    };
    // The text for `control`: its own entry, redirects followed, else the first of its parents
    // up to the form that has one; nullopt when none has text or the control is not on the form.
    std::optional<Found> Find(const QWidget* control) const;
    // The text stored under `name`, redirects followed; nullopt when there is none, and when
    // a redirect chain comes back to a name it has already visited.
    std::optional<THelpRecord> Lookup(const QString& name) const;

    const THelpText& HelpText() const { return helpText_; }
    void SetHelpText(THelpText entries) { helpText_ = std::move(entries); }
    QColor Color() const { return color_; }
    void SetColor(const QColor& color) { color_ = color; }
    QFont Font() const { return font_; }
    void SetFont(const QFont& font) { font_ = font; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool on) { parentFont_ = on; }
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int pixels) { maxWidth_ = pixels; }
    QString MoreText() const { return moreText_; }
    void SetMoreText(const QString& text) { moreText_ = text; }
    // The font the popup writes in: the form's when ParentFont is set, else Font.
    QFont PopupFont() const;

    // Called whenever a help action ends: popup closed, help mode ended or cancelled, nothing found.
    std::function<void()> OnHelpDone;

  private:
    const QWidget* form() const;

    THelpText helpText_;
    QColor color_;
    QFont font_;
    bool parentFont_ = true;
    int maxWidth_ = 300;
    QString moreText_;
};

}  // namespace controls
