// Reading filter definition files: line rules, order, A and B lists, every
// message, and the working copy's order 0 after an error.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "filter/FilterDesign.h"
#include "filter/FilterFile.h"
#include "core/filter/FilterTestSupport.h"

namespace nv {
namespace {

struct Read {
  FilterFileResult result;
  FilterDescription desc;
  std::vector<std::string> messages;
};

Read ReadText(const std::string& text, FilterDescription start = FilterDescription{}) {
  test::ScopedMessages messages;
  std::istringstream in(text);
  Read r{ReadFilterDefinition(in, start), start, {}};
  r.messages = messages.sink.texts;
  return r;
}

void ExpectSecondOrderExample(const Read& r) {
  ASSERT_EQ(r.result, FilterFileResult::Loaded);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_EQ(r.desc.order, 2);
  EXPECT_EQ(r.desc.a[0], 1.0);
  EXPECT_EQ(r.desc.a[1], -1.5);
  EXPECT_EQ(r.desc.a[2], 0.6);
  EXPECT_EQ(r.desc.b[0], 0.1);
  EXPECT_EQ(r.desc.b[1], 0.2);
  EXPECT_EQ(r.desc.b[2], 0.1);
  for (int i = 3; i < FilterDescription::kMaxCoefficients; ++i) {
    EXPECT_EQ(r.desc.a[i], 0.0);
    EXPECT_EQ(r.desc.b[i], 0.0);
  }
}

TEST(FilterFile, ExampleFilesLoad) {
  FilterDescription dirty;
  dirty.a.fill(5.0);
  dirty.b.fill(5.0);
  ExpectSecondOrderExample(ReadText("2\n1\n-1.5\n0.6\n0.1\n0.2\n0.1\n", dirty));
  // Comments after each number, blank lines on top, CR LF line ends, tabs.
  ExpectSecondOrderExample(ReadText(
      "\n\r\n\t\n; a second-order filter\n2 ; order\r\n1 ; a0\r\n-1.5;a1\n\t0.6 ;a2; the last\n0.1 ;b0\n0.2;\n0.1 ; b2\n"
      "anything after the lists is ignored\n",
      dirty));
  // No newline after the last line.
  ExpectSecondOrderExample(ReadText("2\n1\n-1.5\n0.6\n0.1\n0.2\n0.1", dirty));
}

TEST(FilterFile, LineRules) {
  // Only the part after the last ';' goes; a line of blanks is not blank, a
  // line of control characters is.
  Read r = ReadText("1\n2;x;y\n4\n6\n\x01\x02\n");
  ASSERT_EQ(r.result, FilterFileResult::Loaded);
  EXPECT_EQ(r.desc.a[0], 2.0);  // "2;x"
  EXPECT_EQ(r.desc.b[1], 0.0);  // control characters only: a blank place
  // A blank line inside the lists takes a coefficient's place as 0.
  r = ReadText("2\n1\n\n0.5\n; comment only\n2\n3\n");
  ASSERT_EQ(r.result, FilterFileResult::Loaded);
  EXPECT_EQ(r.desc.a[1], 0.0);
  EXPECT_EQ(r.desc.a[2], 0.5);
  EXPECT_EQ(r.desc.b[0], 0.0);
  EXPECT_EQ(r.desc.b[2], 3.0);
  // Blanks are kept: a line of blanks is not a blank line, and not a number.
  r = ReadText("1\n1\n   \n1\n1\n");
  EXPECT_EQ(r.result, FilterFileResult::IllegalA);
  // Numbers as "%d" and "%lf" read them: leading blanks, trailing text.
  r = ReadText("  3abc\n1\n 2.5e-1x\n-3\n4\n5\n6\n7\n8\n");
  ASSERT_EQ(r.result, FilterFileResult::Loaded);
  EXPECT_EQ(r.desc.order, 3);
  EXPECT_EQ(r.desc.a[1], 0.25);
  EXPECT_EQ(r.desc.b[3], 8.0);
}

TEST(FilterFile, ErrorsShowTheirMessageAndSetOrderZero) {
  const auto refuse = [](const std::string& text, FilterFileResult expected, const std::string& message) {
    FilterDescription start;
    start.order = 4;
    start.a.fill(5.0);
    const Read r = ReadText(text, start);
    EXPECT_EQ(r.result, expected) << text;
    ASSERT_EQ(r.messages.size(), 1u) << text;
    EXPECT_EQ(r.messages[0], message);
    EXPECT_EQ(r.desc.order, 0);
    EXPECT_EQ(r.desc.a[0], 5.0);  // coefficients are only set by a good file
  };
  const std::string format = "File format error in filter definition file.";
  refuse("", FilterFileResult::FormatError, format);
  refuse("\n\n  ; nothing\n", FilterFileResult::FormatError, format);
  refuse("order 2\n1\n2\n3\n1\n2\n3\n", FilterFileResult::FormatError, format);
  const std::string range = "Error in filter definition file (filter order out of range).";
  refuse("50\n1\n", FilterFileResult::OrderOutOfRange, range);
  refuse("0\n1\n1\n", FilterFileResult::OrderOutOfRange, range);
  refuse("-2\n1\n1\n", FilterFileResult::OrderOutOfRange, range);
  refuse("99999999999999999999\n", FilterFileResult::OrderOutOfRange, range);
  refuse("2\n1\n-1.5\n", FilterFileResult::MissingA, "Error in filter definition file (missing A koefficient).");
  refuse("2\n1\nabc\n0.6\n1\n1\n1\n", FilterFileResult::IllegalA,
         "Error in filter definition file (illegal A koefficient).");
  refuse("1\n1\nnan\n1\n1\n", FilterFileResult::IllegalA, "Error in filter definition file (illegal A koefficient).");
  refuse("2\n1\n-1.5\n0.6\n0.1\n0.2\n", FilterFileResult::MissingB,
         "Error in filter definition file (missing B koefficient).");
  refuse("2\n1\n-1.5\n0.6\n0.1\nx\n0.1\n", FilterFileResult::IllegalB,
         "Error in filter definition file (illegal B koefficient).");
  // An order-0 working copy is then refused by the design.
  test::ScopedMessages messages;
  FilterDescription copy;
  copy.filterType = FilterType::UserDefined;
  std::istringstream in("2\n1\n");
  ReadFilterDefinition(in, copy);
  EXPECT_FALSE(DesignFilter(copy, 22050));
  ASSERT_EQ(messages.sink.texts.size(), 2u);
  EXPECT_EQ(messages.sink.texts[1], "Ilegal filter order!");
}

TEST(FilterFile, LoadsFromDiskAndReportsUnopenableFiles) {
  char pattern[] = "/tmp/nvfilterXXXXXX";
  const int fd = mkstemp(pattern);
  ASSERT_GE(fd, 0);
  close(fd);
  const std::string path = pattern;
  {
    std::ofstream out(path);
    out << "\n\n2 ; order\n1\n-1.5\n0.6\n0.1\n0.2\n0.1\n";
  }
  test::ScopedMessages messages;
  FilterDescription d;
  d.filterType = FilterType::UserDefined;
  ASSERT_EQ(LoadFilterFile(path, d), FilterFileResult::Loaded);
  EXPECT_EQ(d.order, 2);
  EXPECT_EQ(d.a[1], -1.5);
  // The loaded filter designs (normalises) and filters like any other.
  EXPECT_TRUE(DesignFilter(d, 22050));
  std::remove(path.c_str());

  FilterDescription untouched;
  untouched.order = 6;
  EXPECT_EQ(LoadFilterFile(path, untouched), FilterFileResult::CannotOpen);
  EXPECT_EQ(LoadFilterFile("/tmp", untouched), FilterFileResult::CannotOpen);
  EXPECT_EQ(untouched.order, 6);
  ASSERT_EQ(messages.sink.texts.size(), 2u);
  EXPECT_EQ(messages.sink.texts[0].rfind("Can not open file: ", 0), 0u);
  EXPECT_EQ(messages.sink.texts[1].rfind("Can not open file: ", 0), 0u);
}

}  // namespace
}  // namespace nv
