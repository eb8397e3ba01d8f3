// Number fields: a value bound to a key path, shown through a formatter, written back when editing ends;
// the fields tagged 7777 step with Up and Down and write on Return; a field with no number writes nothing.
#include "platform/foundation/KeyValue.h"
#include "platform/kit/TextField.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Several shapes seen as one, as a selection is: one value when all agree, none otherwise; a write goes
// to every one.
class Selection : public pf::Object {
public:
    std::vector<double> widths{12};
    std::vector<double> writes;

    double width() const { return widths.front(); }
    void setWidth(double w)
    {
        pf::ChangeNotice notice(*this, QStringLiteral("width"));
        writes.push_back(w);
        for (double& each : widths)
            each = w;
    }
    pf::Variant valueForKeyPath(const QString& keyPath) const override
    {
        for (double each : widths)
            if (each != widths.front())
                return {};
        return pf::Object::valueForKeyPath(keyPath);
    }
    static const pf::PropertyTable& properties()
    {
        static const pf::PropertyTable table = [] {
            pf::PropertyTable t(&pf::Object::properties());
            t.add("width", &Selection::width, &Selection::setWidth);
            return t;
        }();
        return table;
    }
    const pf::PropertyTable& propertyTable() const override { return properties(); }
};

class TextFieldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto formatter = std::make_shared<pf::NumberFormatter>();
        formatter->maximumFractionDigits = 1;
        field.setFormatter(formatter);
        field.setTag(pf::IncrementFieldEditor::Tag);
        field.bindValue(selection, QStringLiteral("width"));
    }

    std::shared_ptr<Selection> selection = std::make_shared<Selection>();
    pf::TextField field;
};

TEST(NumberFormatter, ShowsAtMostTheDecimalsAskedWithAPointAndReadsOnlyWholeNumbers)
{
    const pf::NumberFormatter one{0, 1}, two{2, 2};
    struct Case {
        const pf::NumberFormatter& formatter;
        double value;
        const char* text;
    };
    for (const Case& c : {Case{one, 13, "13"}, Case{one, 12.25, "12.3"}, Case{one, -0.04, "0"},
                          Case{one, 1234567, "1234567"}, Case{two, 3, "3.00"}, Case{two, -2.5, "-2.50"}})
        EXPECT_EQ(c.formatter.stringForNumber(c.value), c.text) << c.value;
    EXPECT_EQ(one.numberForString(" 7.5 "), 7.5);
    for (const char* bad : {"", "abc", "12px", "1,5", "inf", "nan"})
        EXPECT_FALSE(one.numberForString(bad).has_value()) << bad;
}

TEST_F(TextFieldTest, UpAndDownStepTheShownNumberAndWriteItFormattedAndSelected)
{
    EXPECT_EQ(field.text(), "12");
    QTest::keyClick(&field, Qt::Key_Up);
    EXPECT_EQ(selection->writes, std::vector<double>{13});
    EXPECT_EQ(field.text(), "13");
    EXPECT_EQ(field.selectedText(), "13");

    // From what is typed, not from the stored value; shown through the formatter.
    field.setText("7.25");
    QTest::keyClick(&field, Qt::Key_Down);
    EXPECT_EQ(selection->writes.back(), 6.25);
    EXPECT_EQ(field.text(), "6.3");
    EXPECT_EQ(field.selectedText(), "6.3");
}

TEST_F(TextFieldTest, ReturnWritesTheShownNumberOnceAndShowsItFormatted)
{
    field.selectAll();
    QTest::keyClicks(&field, "20.04");
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(selection->writes, std::vector<double>{20.04});
    EXPECT_EQ(field.text(), "20");
    EXPECT_TRUE(field.selectedText().isEmpty());
}

TEST_F(TextFieldTest, AFieldShowingNoNumberWritesNothing)
{
    // The selection's shapes differ: no one value, an empty field.
    selection->widths = {12, 40};
    field.updateFromBinding();
    EXPECT_TRUE(field.text().isEmpty());
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Return})
        QTest::keyClick(&field, key);
    // Nor does a word typed in place of a number; the field shows the bound value again.
    QTest::keyClicks(&field, "wide");
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_TRUE(selection->writes.empty());
    EXPECT_EQ(selection->widths, (std::vector<double>{12, 40}));
    EXPECT_TRUE(field.text().isEmpty());
}

TEST_F(TextFieldTest, AnUnmarkedFieldDoesNotStepButWritesWhatIsTypedWhenEditingEnds)
{
    field.setTag(0);
    QTest::keyClick(&field, Qt::Key_Up);
    QTest::keyClick(&field, Qt::Key_Down);
    EXPECT_TRUE(selection->writes.empty());
    EXPECT_EQ(field.text(), "12");
    field.selectAll();
    QTest::keyClicks(&field, "30");
    QTest::keyClick(&field, Qt::Key_Enter);
    EXPECT_EQ(selection->writes, std::vector<double>{30});

    // A change made elsewhere shows; a field whose object is gone writes nothing.
    selection->setWidth(44);
    EXPECT_EQ(field.text(), "44");
    selection.reset();
    field.setText("5");
    field.setModified(true);
    field.commitEditing();
    EXPECT_FALSE(field.writeValue(5));
}

} // namespace
