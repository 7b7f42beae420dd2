#include "window_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <functional>
#include <vector>

namespace vektrano::test {
namespace {

struct FieldControl
{
    Field field;
    const char* name;
};

constexpr FieldControl kFields[] = {
    {Field::Txt_DXF, "Txt_DXF"},
    {Field::Txt_SCR, "Txt_SCR"},
    {Field::Txt_Layer, "Txt_Layer"},
    {Field::Txt_Linienstärke, "Txt_Linienstärke"},
    {Field::Txt_Offset_X, "Txt_Offset_X"},
    {Field::Txt_Offset_Y, "Txt_Offset_Y"},
};

struct FieldEdit
{
    const char* how;
    std::function<void(QLineEdit*)> apply;
};

// Every way the text of a field can change, by program or by the user.
const std::vector<FieldEdit>& Edits()
{
    static const std::vector<FieldEdit> edits = {
        {"setText", [](QLineEdit* e) { e->setText(QStringLiteral("12.5")); }},
        {"setText with umlauts",
         [](QLineEdit* e) { e->setText(QStringLiteral("/tmp/Übersicht größer.dxf")); }},
        {"typed", [](QLineEdit* e) { QTest::keyClicks(e, QStringLiteral("-3")); }},
        {"backspace",
         [](QLineEdit* e) {
             e->setText(QStringLiteral("123"));
             e->end(false);
             QTest::keyClick(e, Qt::Key_Backspace);
         }},
        {"insert", [](QLineEdit* e) { e->insert(QStringLiteral("7")); }},
        {"clear", [](QLineEdit* e) { e->clear(); }},
        {"paste",
         [](QLineEdit* e) {
             QApplication::clipboard()->setText(QStringLiteral("0,75"));
             e->paste();
         }},
        {"undo",
         [](QLineEdit* e) {
             e->setText(QStringLiteral("1"));
             QTest::keyClicks(e, QStringLiteral("23"));
             e->undo();
         }},
        {"select all and type",
         [](QLineEdit* e) {
             e->selectAll();
             QTest::keyClicks(e, QStringLiteral("9"));
         }},
    };
    return edits;
}

using OperationsTest = WindowTest;

TEST_F(OperationsTest, ReadFieldReturnsTheTextAfterEveryKindOfEdit)
{
    for (const FieldControl& f : kFields) {
        for (const FieldEdit& edit : Edits()) {
            SCOPED_TRACE(std::string(f.name) + ", " + edit.how);
            QLineEdit* control = Edit(f.name);
            edit.apply(control);
            EXPECT_EQ(window->ReadField(f.field), control->text().toStdString());
        }
    }
}

TEST_F(OperationsTest, ReadFieldSeesTheFormsInitialTexts)
{
    for (const FieldControl& f : kFields) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(window->ReadField(f.field), Text(f.name).toStdString());
    }
}

TEST_F(OperationsTest, WriteFieldIsReadBackAtOnce)
{
    window->WriteField(Field::Txt_Offset_X, "-12,5");
    EXPECT_EQ(Text("Txt_Offset_X"), QStringLiteral("-12,5"));
    EXPECT_EQ(window->ReadField(Field::Txt_Offset_X), "-12,5");
}

} // namespace
} // namespace vektrano::test
