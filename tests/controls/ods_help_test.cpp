// TODSHelp: finding a control's text by its exact name, through redirects and up its parents,
// and the component a form gets installed.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QWidget>

#include "controls/ods_help.h"

namespace {

using namespace controls;

THelpEntry Entry(const char* name, const char* text = nullptr) {
    THelpEntry entry{QString::fromLatin1(name), {}};
    if (text)
        entry.record.text = QString::fromLatin1(text);
    return entry;
}

TEST(ODSHelpLookup, NamesRedirectsAndEntriesWithoutText) {
    TODSHelp help;
    const QString longName(300, u'L');
    help.SetHelpText({
        Entry("KeysBox", "->KeyWords"),
        Entry("Label3"),
        Entry("KeyWords", "Enter key words"),
        Entry("Panel1"),
        Entry("Panel1", "the second Panel1"),
        Entry("Blank", ""),
        Entry("ToBlank", "->Blank"),
        Entry("ToNowhere", "->Missing"),
        Entry("Ping", "->Pong"),
        Entry("Pong", "->Ping"),
        Entry("Self", "->Self"),
        Entry("Chain", "->KeysBox"),
        Entry("TooLong", ("->" + longName.toStdString()).c_str()),
        Entry(longName.left(253).toLatin1().constData(), "the name cut to its first 253"),
    });
    struct Case {
        QString name;
        const char* text;  // null: nothing shown
    };
    const Case cases[] = {
        {QStringLiteral("KeyWords"), "Enter key words"},
        {QStringLiteral("keywords"), nullptr},
        {QStringLiteral("KeyWords "), nullptr},
        {QStringLiteral("KeysBox"), "Enter key words"},
        {QStringLiteral("Chain"), "Enter key words"},
        {QStringLiteral("Label3"), nullptr},
        {QStringLiteral("Panel1"), "the second Panel1"},
        {QStringLiteral("Blank"), nullptr},
        {QStringLiteral("ToBlank"), nullptr},
        {QStringLiteral("ToNowhere"), nullptr},
        {QStringLiteral("Ping"), nullptr},
        {QStringLiteral("Self"), nullptr},
        {QStringLiteral("TooLong"), "the name cut to its first 253"},
        {QString(), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const auto found = help.Lookup(c.name);
        if (c.text) {
            ASSERT_TRUE(found.has_value());
            EXPECT_EQ(found->text, QString::fromLatin1(c.text));
        } else {
            EXPECT_FALSE(found.has_value());
        }
    }
}

// A form as the program builds them: a group box speaking through a redirect, an edit inside
// it, a strip of buttons without texts of their own, and the component.
struct Form {
    QWidget form;
    QGroupBox* keysBox = new QGroupBox(&form);
    QLineEdit* keyWords = new QLineEdit(keysBox);
    QWidget* label = new QWidget(keysBox);
    QWidget* strip = new QWidget(&form);
    QWidget* helpButton = new QWidget(strip);
    QWidget* inner = new QWidget(helpButton);
    TODSHelp* help = new TODSHelp(&form);

    Form() {
        form.setObjectName(QStringLiteral("TFilterForm"));
        keysBox->setObjectName(QStringLiteral("KeysBox"));
        keyWords->setObjectName(QStringLiteral("KeyWords"));
        label->setObjectName(QStringLiteral("Label3"));
        strip->setObjectName(QStringLiteral("Panel1"));
        helpButton->setObjectName(QStringLiteral("Helpbutton"));
        help->SetHelpText({Entry("Helpbutton"), Entry("KeysBox", "->KeyWords"), Entry("Label3"),
                           Entry("KeyWords", "Enter key words"), Entry("Panel1")});
    }
};

TEST(ODSHelpFind, WalksUpTheParentsToTheForm) {
    Form f;
    struct Case {
        const char* what;
        const QWidget* control;
        const char* text;
        const QWidget* speaker;
    };
    const Case cases[] = {
        {"its own entry", f.keyWords, "Enter key words", f.keyWords},
        {"a redirect speaks for the box", f.keysBox, "Enter key words", f.keysBox},
        {"an entry without text lets its parent speak", f.label, "Enter key words", f.keysBox},
        {"a control without a name or entry", f.inner, nullptr, nullptr},
        {"the form reached first", f.helpButton, nullptr, nullptr},
        {"the form itself", &f.form, nullptr, nullptr},
        {"no control", nullptr, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto found = f.help->Find(c.control);
        if (c.text) {
            ASSERT_TRUE(found.has_value());
            EXPECT_EQ(found->text, QString::fromLatin1(c.text));
            EXPECT_EQ(found->control, c.speaker);
            EXPECT_EQ(found->context, 0u);
        } else {
            EXPECT_FALSE(found.has_value());
        }
    }

    QWidget otherForm;
    QLineEdit elsewhere(&otherForm);
    elsewhere.setObjectName(QStringLiteral("KeyWords"));
    EXPECT_FALSE(f.help->Find(&elsewhere).has_value()) << "a control of another form";
}

TEST(ODSHelpInstall, GivesTheFormItsCompiledInListAndColour) {
    Form f;
    TODSHelp* installed = TODSHelp::Install(&f.form, QStringLiteral("TFilterForm"));
    EXPECT_EQ(installed->objectName(), QStringLiteral("ODSHelp1"));
    EXPECT_EQ(TODSHelp::Of(&f.form), installed) << "the last of several";
    EXPECT_EQ(installed->Color(), QColor(128, 255, 255));
    const auto found = installed->Find(f.label);
    ASSERT_TRUE(found.has_value());
    EXPECT_TRUE(found->text.startsWith(QStringLiteral("Enter the key words"))) << found->text.toStdString();
    EXPECT_EQ(found->control, f.keysBox);

    QWidget bare;
    EXPECT_EQ(TODSHelp::Of(&bare), nullptr);
    EXPECT_TRUE(TODSHelp::Install(&bare, QStringLiteral("TNoSuchForm"))->HelpText().isEmpty());

    TODSHelp defaults;
    EXPECT_EQ(defaults.Color(), QColor(255, 255, 232));
    EXPECT_TRUE(defaults.ParentFont());
    EXPECT_EQ(defaults.MaxWidth(), 300);
    EXPECT_EQ(defaults.MoreText(), QStringLiteral("Click here or press F1 for more..."));
    EXPECT_EQ(defaults.Font().pixelSize(), 11);

    f.form.setFont(QFont(QStringLiteral("Arial"), 8));
    EXPECT_EQ(installed->PopupFont(), f.form.font());
    installed->SetParentFont(false);
    EXPECT_EQ(installed->PopupFont(), installed->Font());
}

}  // namespace
