// The scenario file: exact text written, bit-exact round trips, and every
// kind of bad file with the line that failed and what stays applied.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <fstream>
#include <locale>
#include <random>
#include <sstream>
#include <streambuf>

#include "classroompalette.h"
#include "engine_support.h"
#include "numeric.h"
#include "scenarioreader.h"

namespace vintrop {
namespace {

using testing::Bits;
using testing::EngineTest;

const char* const kExample =
    "50\r\n0\r\n0\r\n2\r\n1\r\n500\r\n400\r\n3\r\n-2\r\n4\r\n1500\r\n400\r\n0\r\n0\r\n";

class ScenarioFile : public EngineTest {
protected:
    bool Load(const std::string& text) {
        eng.Reset();
        std::istringstream in(text, std::ios::binary);
        return eng.SerializeIn(in);
    }
    std::string Save() const {
        std::ostringstream out(std::ios::binary);
        EXPECT_TRUE(eng.SerializeOut(out));
        return out.str();
    }
};

TEST_F(ScenarioFile, WritesTheExampleAsFourteenCrLfLines) {
    Add(1, 500, 400, 3, -2);
    Add(4, 1500, 400, 0, 0);
    EXPECT_EQ(Save(), kExample);
}

TEST_F(ScenarioFile, ReadsTheExample) {
    ASSERT_TRUE(Load(kExample));
    EXPECT_FALSE(eng.LastReadError().has_value());
    EXPECT_EQ(eng.sInterval(), 50);
    EXPECT_EQ(eng.CentralCollision(), 0);
    EXPECT_EQ(eng.KeepHistory(), 0);
    ASSERT_EQ(eng.BowlCount(), 2);
    const CBowl& a = eng.GetBowl(1);
    const CBowl& b = eng.GetBowl(2);
    EXPECT_EQ(a.Id, 1);
    EXPECT_EQ(b.Id, 2);
    EXPECT_EQ(a.M(), 1.0f);
    EXPECT_FLOAT_EQ(a.r(), 61.75379f);
    EXPECT_EQ(a.x, 500.0f);
    EXPECT_EQ(a.Vyo(), -2.0f);
    EXPECT_EQ(a.Vy, -2.0f);
    EXPECT_EQ(b.M(), 4.0f);
    EXPECT_EQ(b.Xo(), 1500.0f);
    EXPECT_NE(a.Color, b.Color);
}

TEST_F(ScenarioFile, EmptyScenarioIsFourLinesEndingInZeroAndReadsBack) {
    eng.sInterval(30);
    eng.CentralCollision(-1);
    EXPECT_EQ(Save(), "30\r\n-1\r\n0\r\n0\r\n");
    ASSERT_TRUE(Load("30\r\n-1\r\n0\r\n0\r\n"));
    EXPECT_EQ(eng.BowlCount(), 0);
    EXPECT_EQ(eng.sInterval(), 30);
}

// Any finite float (subnormals, the largest ones, -0) must come back with the
// same bits, and the options and order with it.
TEST_F(ScenarioFile, RoundTripIsBitExact) {
    std::mt19937 gen(77);
    auto randomFloat = [&] {
        for (;;) {
            const uint32_t u = gen();
            float f;
            std::memcpy(&f, &u, sizeof f);
            if (std::isfinite(f)) return f;
        }
    };
    std::vector<float> special = {-0.0f, FLT_TRUE_MIN, FLT_MAX, -FLT_MAX, 0.1f, 8084.99951f};
    for (int i = 0; i < 40; ++i) {
        const float a = i < 6 ? special[i] : randomFloat();
        Add(static_cast<int16_t>((i * 997) % 32768), a, randomFloat(), randomFloat(), randomFloat());
    }
    eng.sInterval(17);
    eng.CentralCollision(-1);
    eng.KeepHistory(-1);
    const std::string text = Save();

    ManualClock clock2;
    CEnvEng other;
    other.init(clock2);
    std::istringstream in(text, std::ios::binary);
    ASSERT_TRUE(other.SerializeIn(in));
    EXPECT_EQ(other.sInterval(), 17);
    EXPECT_EQ(other.CentralCollision(), -1);
    EXPECT_EQ(other.KeepHistory(), -1);
    ASSERT_EQ(other.BowlCount(), eng.BowlCount());
    for (int i = 1; i <= eng.BowlCount(); ++i) {
        const CBowl& want = eng.GetBowl(i);
        const CBowl& got = other.GetBowl(i);
        EXPECT_EQ(got.Id, i);
        EXPECT_EQ(Bits(got.M()), Bits(want.M())) << i;
        EXPECT_EQ(Bits(got.Xo()), Bits(want.Xo())) << i;
        EXPECT_EQ(Bits(got.Yo()), Bits(want.Yo())) << i;
        EXPECT_EQ(Bits(got.Vxo()), Bits(want.Vxo())) << i;
        EXPECT_EQ(Bits(got.Vyo()), Bits(want.Vyo())) << i;
        EXPECT_EQ(Bits(got.x), Bits(want.Xo())) << i;
        EXPECT_EQ(Bits(got.Vy), Bits(want.Vyo())) << i;
    }
    std::ostringstream again(std::ios::binary);
    ASSERT_TRUE(other.SerializeOut(again));
    EXPECT_EQ(again.str(), text);
}

// A locale with a decimal comma and thousands grouping must not leak into
// the file: it is always written in the C locale.
TEST_F(ScenarioFile, IgnoresTheStreamLocale) {
    struct Italian : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    Add(1, 1500.5f, 400, 3, -2);
    std::ostringstream out(std::ios::binary);
    out.imbue(std::locale(std::locale::classic(), new Italian));
    eng.sInterval(1000);
    ASSERT_TRUE(eng.SerializeOut(out));
    EXPECT_EQ(out.str(), "1000\r\n0\r\n0\r\n1\r\n1\r\n1500.5\r\n400\r\n3\r\n-2\r\n");
}

struct GoodRow {
    const char* situation;
    std::string text;
    int16_t count;
    float mass1; // mass of the first bowl, if any
    float x1;
};

class ScenarioAccepts : public ScenarioFile, public ::testing::WithParamInterface<GoodRow> {};

TEST_P(ScenarioAccepts, ReadsTheWholeScenario) {
    const GoodRow& row = GetParam();
    ASSERT_TRUE(Load(row.text)) << (eng.LastReadError() ? eng.LastReadError()->Description() : "");
    ASSERT_EQ(eng.BowlCount(), row.count);
    if (row.count > 0) {
        EXPECT_EQ(eng.GetBowl(1).M(), row.mass1);
        EXPECT_EQ(eng.GetBowl(1).x, row.x1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ScenarioAccepts,
    ::testing::Values(
        GoodRow{"lf_only", "50\n0\n0\n1\n2\n300\n400\n1\n1\n", 1, 2, 300},
        GoodRow{"last_line_without_line_end", "50\r\n0\r\n0\r\n1\r\n2\r\n300\r\n400\r\n1\r\n1", 1, 2, 300},
        GoodRow{"blanks_signs_and_exponents", " 50 \r\n+0\r\n-0\r\n 1\r\n\t2\r\n3e2\r\n.4e3\r\n+1.\r\n-1E0 \r\n", 1,
                2, 300},
        GoodRow{"mass_half_rounds_down_to_even", "50\r\n0\r\n0\r\n1\r\n2.5\r\n300\r\n400\r\n0\r\n0\r\n", 1, 2, 300},
        GoodRow{"mass_half_rounds_up_to_even", "50\r\n0\r\n0\r\n1\r\n3.5\r\n300\r\n400\r\n0\r\n0\r\n", 1, 4, 300},
        GoodRow{"mass_fraction_rounds_to_nearest", "50\r\n0\r\n0\r\n1\r\n32766.6\r\n300\r\n400\r\n0\r\n0\r\n", 1,
                32767, 300},
        GoodRow{"count_zero", "50\r\n0\r\n0\r\n0\r\n", 0, 0, 0},
        GoodRow{"negative_count_reads_no_bowl", "50\r\n0\r\n0\r\n-3\r\n1\r\n", 0, 0, 0},
        GoodRow{"lines_after_the_last_bowl_ignored", "50\r\n0\r\n0\r\n1\r\n2\r\n300\r\n400\r\n0\r\n0\r\nrubbish\r\n",
                1, 2, 300},
        GoodRow{"zero_mass", "50\r\n0\r\n0\r\n1\r\n0\r\n300\r\n400\r\n0\r\n0\r\n", 1, 0, 300}),
    [](const auto& info) { return std::string(info.param.situation); });

struct BadRow {
    const char* situation;
    std::string text;
    int number;        // error number in LastReadError
    int line;          // 1-based line that failed
    int16_t kept;      // bowls added before the failure
    int16_t interval;  // interval in force afterwards
    int16_t central;   // CentralCollision afterwards
};

const std::string kHead = "70\r\n-1\r\n0\r\n";
const std::string kBowl = "2\r\n300\r\n400\r\n1\r\n1\r\n";

class ScenarioRejects : public ScenarioFile, public ::testing::WithParamInterface<BadRow> {};

TEST_P(ScenarioRejects, ReportsTheLineAndKeepsWhatWasApplied) {
    const BadRow& row = GetParam();
    EXPECT_FALSE(Load(row.text));
    ASSERT_TRUE(eng.LastReadError().has_value());
    const VintropError& e = *eng.LastReadError();
    EXPECT_EQ(e.Number(), row.number) << e.Description();
    EXPECT_EQ(e.Line(), row.line);
    EXPECT_EQ(e.Source(), "Vintrop");
    EXPECT_EQ(eng.BowlCount(), row.kept);
    EXPECT_EQ(eng.sInterval(), row.interval);
    EXPECT_EQ(eng.CentralCollision(), row.central);
    for (int i = 1; i <= eng.BowlCount(); ++i) {
        EXPECT_EQ(eng.GetBowl(i).Id, i);
        EXPECT_TRUE(std::isfinite(eng.GetBowl(i).r()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ScenarioRejects,
    ::testing::Values(
        BadRow{"empty_file", "", 62, 1, 0, 50, 0},
        BadRow{"ends_after_line_2", "70\r\n-1\r\n", 62, 3, 0, 70, -1},
        BadRow{"interval_not_a_number", "fifty\r\n0\r\n0\r\n0\r\n", 13, 1, 0, 50, 0},
        BadRow{"flag_not_a_number", "70\r\nyes\r\n0\r\n0\r\n", 13, 2, 0, 70, 0},
        BadRow{"blank_flag_line", "70\r\n\r\n0\r\n0\r\n", 13, 2, 0, 70, 0},
        BadRow{"interval_beyond_16_bits", "40000\r\n0\r\n0\r\n0\r\n", 6, 1, 0, 50, 0},
        BadRow{"negative_interval", "-5\r\n0\r\n0\r\n0\r\n", 380, 1, 0, 50, 0},
        BadRow{"count_beyond_16_bits", kHead + "70000\r\n", 6, 4, 0, 70, -1},
        BadRow{"mass_beyond_16_bits", kHead + "1\r\n40000\r\n300\r\n400\r\n0\r\n0\r\n", 6, 5, 0, 70, -1},
        BadRow{"negative_mass_in_second_bowl", kHead + "2\r\n" + kBowl + "-3\r\n300\r\n400\r\n0\r\n0\r\n", 5, 10, 1,
               70, -1},
        BadRow{"count_3_with_two_bowls", kHead + "3\r\n" + kBowl + kBowl, 62, 15, 2, 70, -1},
        BadRow{"bowl_cut_short", kHead + "1\r\n2\r\n300\r\n", 62, 7, 0, 70, -1},
        BadRow{"position_beyond_float", kHead + "1\r\n2\r\n1e39\r\n400\r\n0\r\n0\r\n", 6, 6, 0, 70, -1},
        BadRow{"number_beyond_double", kHead + "1\r\n2\r\n300\r\n1e999\r\n0\r\n0\r\n", 6, 7, 0, 70, -1},
        BadRow{"decimal_comma", kHead + "1\r\n2\r\n300\r\n400\r\n3,5\r\n0\r\n", 13, 8, 0, 70, -1},
        BadRow{"binary_garbage", std::string("\x00\xff\x7f\r\n", 5), 13, 1, 0, 50, 0},
        BadRow{"lone_cr_line_ends", "50\r0\r0\r0\r", 13, 1, 0, 50, 0},
        BadRow{"no_line_end_at_all", std::string(100000, '7'), 13, 1, 0, 50, 0},
        BadRow{"line_one_past_the_limit", "70\r\n" + std::string(4096, ' ') + "1\r\n0\r\n0\r\n", 13, 2, 0, 70, 0}),
    [](const auto& info) { return std::string(info.param.situation); });

// The options section after the last bowl: the scenario's own box.
TEST_F(ScenarioFile, OwnBoxIsWrittenOnlyWhenSetReadBackAndClearedByResetOrAFileWithout) {
    ASSERT_TRUE(Load(kExample));
    EXPECT_FALSE(eng.FixedBox());
    EXPECT_EQ(Save(), kExample);
    eng.SetFixedBox(BoxSize{9000, 196.5f});
    const std::string withBox = Save();
    EXPECT_EQ(withBox, std::string(kExample) + "[options]\r\nBoxWidth=9000\r\nBoxHeight=196.5\r\n");
    eng.MaxX = eng.MaxY = 1;
    ASSERT_TRUE(Load(withBox));
    ASSERT_TRUE(eng.FixedBox());
    EXPECT_EQ(eng.FixedBox()->width, 9000.0f);
    EXPECT_EQ(eng.MaxX, 9000.0f);
    EXPECT_EQ(eng.MaxY, 196.5f);
    EXPECT_EQ(Save(), withBox);
    std::istringstream without(kExample, std::ios::binary);
    ASSERT_TRUE(eng.SerializeIn(without));
    EXPECT_FALSE(eng.FixedBox());
    eng.SetFixedBox(BoxSize{9000, 9000});
    eng.Reset();
    EXPECT_FALSE(eng.FixedBox());
    // A bowl added since that the box cannot hold: not written, it would not read back.
    eng.SetFixedBox(BoxSize{200, 200});
    Add(4000, 500, 500);
    std::ostringstream out(std::ios::binary);
    EXPECT_FALSE(eng.SerializeOut(out));
}

// With a box too, the lesson files check the key's place after it.
TEST_F(ScenarioFile, ClassroomColoursAreWrittenOnlyWhenOnAndAFailedReadTurnsThemOff) {
    ASSERT_TRUE(Load(kExample));
    eng.SetClassroomColours(true);
    const std::string on = Save();
    EXPECT_EQ(on, std::string(kExample) + "[options]\r\nClassroomColours=1\r\n");
    ASSERT_TRUE(Load(on));   // after a Reset, which turns them off
    EXPECT_EQ(eng.GetBowl(2).Color, ClassroomColourAt(2).color);
    eng.SetClassroomColours(false);
    EXPECT_EQ(Save(), kExample);
    eng.SetClassroomColours(true);
    std::istringstream bad(on + "ClassroomColours=1\r\n", std::ios::binary);
    EXPECT_FALSE(eng.SerializeIn(bad));
    EXPECT_FALSE(eng.ClassroomColours());
}

TEST_F(ScenarioFile, ElasticityIsWrittenOnlyBelow100AndResetOrAFailedReadGivesBack100) {
    ASSERT_TRUE(Load(kExample));
    for (int16_t bad : {int16_t(-1), int16_t(101)}) EXPECT_VINTROP_ERROR(eng.SetElasticity(bad), err::InvalidProperty);
    eng.SetElasticity(40);
    const std::string forty = Save();
    EXPECT_EQ(forty, std::string(kExample) + "[options]\r\nElasticity=40\r\n");
    eng.Reset();
    EXPECT_EQ(Save(), "50\r\n0\r\n0\r\n0\r\n");
    ASSERT_TRUE(Load(forty));   // at 40 %, then a file with the key twice
    std::istringstream twice(forty + "Elasticity=40\r\n", std::ios::binary);
    EXPECT_FALSE(eng.SerializeIn(twice));
    EXPECT_EQ(eng.Elasticity(), 100);
}

TEST_F(ScenarioFile, SetFixedBoxRefusesWhatTheFileWouldRefuseAndChangesNothing) {
    EXPECT_VINTROP_ERROR(eng.SetFixedBox(BoxSize{0, 500}), err::InvalidProperty);   // even with no bowl
    Add(4, 1500, 400);   // whole radius 98
    const float inf = INFINITY, nan = NAN;
    for (BoxSize bad : {BoxSize{195.5f, 500}, BoxSize{500, 0}, BoxSize{-500, 500}, BoxSize{nan, 500},
                        BoxSize{500, inf}, BoxSize{16777218, 500}})
        EXPECT_VINTROP_ERROR(eng.SetFixedBox(bad), err::InvalidProperty);
    EXPECT_FALSE(eng.FixedBox());
    EXPECT_EQ(eng.MaxX, kInitialBoxWidth);
    eng.SetFixedBox(BoxSize{196, 16777216});
    EXPECT_EQ(eng.MaxY, 16777216.0f);
    eng.SetFixedBox(std::nullopt);
    EXPECT_FALSE(eng.FixedBox());
    EXPECT_EQ(eng.MaxX, 196.0f);   // until the window sets it
}

struct SectionRow {
    const char* situation;
    std::string section;   // after the two bowls of kExample (lines 1-14; the marker is line 15)
    int number;            // error number; 0 when the file reads
    int line;              // line of the error
    float width, height;   // the box read; 0 for none
    bool classroom = false;   // classroom colours read
    int16_t elasticity = 100;   // elasticity read
};

class OptionsSection : public ScenarioFile, public ::testing::WithParamInterface<SectionRow> {};

TEST_P(OptionsSection, GivesTheBoxOrRefusesTheFileAtTheLine) {
    const SectionRow& row = GetParam();
    EXPECT_EQ(Load(kExample + row.section), row.number == 0);
    EXPECT_EQ(eng.BowlCount(), 2);
    if (row.number != 0) {
        ASSERT_TRUE(eng.LastReadError());
        EXPECT_EQ(eng.LastReadError()->Number(), row.number) << eng.LastReadError()->Description();
        EXPECT_EQ(eng.LastReadError()->Line(), row.line);
    }
    ASSERT_EQ(eng.FixedBox().has_value(), row.width > 0);
    EXPECT_EQ(eng.MaxX, row.width > 0 ? row.width : kInitialBoxWidth);
    EXPECT_EQ(eng.MaxY, row.width > 0 ? row.height : kInitialBoxHeight);
    EXPECT_EQ(eng.ClassroomColours(), row.classroom);
    EXPECT_EQ(eng.Elasticity(), row.elasticity);
}

// Both bowls fit a side of 196 twips: their whole radii are 62 and 98.
const std::string kMarker = "[options]\r\n";
const std::string kWidth = "BoxWidth=9000\r\n";
INSTANTIATE_TEST_SUITE_P(
    Rows, OptionsSection,
    ::testing::Values(
        SectionRow{"unknown_key_ignored", kMarker + "Colour=red\r\n" + kWidth + "BoxHeight=5000\r\n", 0, 0, 9000, 5000},
        SectionRow{"limits_blanks_blank_lines_lf", "[options]\n\n BoxHeight = 196 \nBoxWidth=16777216\n\n", 0, 0,
                   16777216, 196},
        SectionRow{"no_marker_the_rest_ignored", "\r\n" + kMarker + "BoxWidth=1\r\n", 0, 0, 0, 0},
        SectionRow{"long_junk_instead_of_the_marker", std::string(5000, 'x') + "\r\n", 0, 0, 0, 0},
        SectionRow{"no_equals", kMarker + "BoxWidth 9000\r\n", 13, 16, 0, 0},
        SectionRow{"empty_key", kMarker + "=9000\r\n", 13, 16, 0, 0},
        SectionRow{"bad_number", kMarker + kWidth + "BoxHeight=50OO\r\n", 13, 17, 0, 0},
        SectionRow{"nan_text", kMarker + kWidth + "BoxHeight=nan\r\n", 13, 17, 0, 0},
        SectionRow{"inf_text", kMarker + "BoxWidth=inf\r\nBoxHeight=500\r\n", 13, 16, 0, 0},
        SectionRow{"beyond_double", kMarker + kWidth + "BoxHeight=1e999\r\n", 6, 17, 0, 0},
        SectionRow{"negative", kMarker + "BoxWidth=-9000\r\nBoxHeight=500\r\n", 380, 16, 0, 0},
        SectionRow{"zero", kMarker + kWidth + "BoxHeight=0\r\n", 380, 17, 0, 0},
        SectionRow{"too_small_for_the_widest_bowl", kMarker + kWidth + "BoxHeight=195.9\r\n", 380, 17, 0, 0},
        SectionRow{"above_the_limit", kMarker + "BoxWidth=16777217\r\nBoxHeight=500\r\n", 380, 16, 0, 0},
        SectionRow{"duplicate_key", kMarker + kWidth + kWidth + "BoxHeight=500\r\n", 13, 17, 0, 0},
        SectionRow{"width_only", kMarker + kWidth, 380, 16, 0, 0},
        SectionRow{"height_only", kMarker + "a=b\r\nBoxHeight=500\r\n", 380, 17, 0, 0},
        SectionRow{"classroom_on_with_a_box", kMarker + kWidth + "BoxHeight=500\r\nClassroomColours = 1.0\r\n", 0, 0,
                   9000, 500, true},
        SectionRow{"classroom_alone", kMarker + "ClassroomColours=1\r\n", 0, 0, 0, 0, true},
        SectionRow{"classroom_zero", kMarker + "ClassroomColours=0\r\n", 0, 0, 0, 0},
        SectionRow{"classroom_malformed", kMarker + "ClassroomColours=yes\r\n" + kWidth + "BoxHeight=500\r\n", 13, 16, 0, 0},
        SectionRow{"classroom_empty", kMarker + "ClassroomColours=\r\n", 13, 16, 0, 0},
        SectionRow{"classroom_neither_0_nor_1_box_not_applied",
                   kMarker + kWidth + "BoxHeight=500\r\nClassroomColours=-1\r\n", 380, 18, 0, 0},
        SectionRow{"elasticity_read", kMarker + "Elasticity = 35\r\n", 0, 0, 0, 0, false, 35},
        SectionRow{"elasticity_above_100_box_not_applied", kMarker + kWidth + "BoxHeight=500\r\nElasticity=101\r\n", 380,
                   18, 0, 0},
        SectionRow{"elasticity_negative", kMarker + "Elasticity=-1\r\n", 380, 16, 0, 0},
        SectionRow{"elasticity_fraction", kMarker + "Elasticity=50.5\r\n", 380, 16, 0, 0},
        SectionRow{"elasticity_malformed", kMarker + "Elasticity=half\r\n", 13, 16, 0, 0},
        SectionRow{"line_past_the_length_limit", kMarker + "BoxWidth=" + std::string(4090, ' ') + "9000\r\n", 13, 16, 0, 0},
        // 64 lines after the marker are read, the 65th refused.
        SectionRow{"line_past_the_count_limit", kMarker + std::string(63, '\n') + kWidth + "BoxHeight=500\r\n", 13, 80,
                   0, 0}),
    [](const auto& info) { return std::string(info.param.situation); });

TEST_F(ScenarioFile, HistoryFlagSwitchesTheLogOnDuringTheLoadAndStaysOnAfterAFailure) {
    struct Log : IHistoryLog {
        int* inits;
        explicit Log(int* n) : inits(n) {}
        void init(CEnvEng&) override { ++*inits; }
        void Terminate() override {}
        void Reset() override {}
        void Show(IOwnerWindow*) override {}
        void Hide() override {}
    };
    int inits = 0;
    eng.SetHistoryFactory([&inits] { return std::make_unique<Log>(&inits); });
    EXPECT_FALSE(Load("50\r\n0\r\n-1\r\n1\r\n2\r\n"));
    EXPECT_EQ(inits, 1);
    EXPECT_EQ(eng.KeepHistory(), -1);
    eng.Terminate();
}

TEST_F(ScenarioFile, SuccessfulReadClearsTheLastError) {
    EXPECT_FALSE(Load("50\r\n"));
    ASSERT_TRUE(eng.LastReadError().has_value());
    EXPECT_TRUE(Load(kExample));
    EXPECT_FALSE(eng.LastReadError().has_value());
}

TEST_F(ScenarioFile, LinesUpToTheLimitReadWithEitherLineEnd) {
    // 4,096 characters is the longest line; a CR before the LF does not count.
    const std::string longest = std::string(4095, ' ') + "1";
    ASSERT_EQ(longest.size(), ScenarioReader::kMaxLineLength);
    EXPECT_TRUE(Load("70\r\n" + longest + "\r\n0\r\n0\r\n"));
    EXPECT_EQ(eng.CentralCollision(), -1);
    EXPECT_TRUE(Load("70\n" + longest + "\n0\n0"));
    EXPECT_EQ(eng.CentralCollision(), -1);
}

TEST_F(ScenarioFile, NumbersBelowTheDoubleRangeReadAsSignedZero) {
    EXPECT_TRUE(Load(kHead + "1\r\n2\r\n300\r\n400\r\n1e-400\r\n-0.000001e-999999999999\r\n"));
    EXPECT_EQ(Bits(eng.GetBowl(1).Vxo()), Bits(0.0f));
    EXPECT_EQ(Bits(eng.GetBowl(1).Vyo()), Bits(-0.0f));
}

TEST_F(ScenarioFile, FileThatCannotBeOpenedIsFileNotFound) {
    std::ifstream in("/nonexistent-dir/missing.vintrop", std::ios::binary);
    eng.Reset();
    EXPECT_FALSE(eng.SerializeIn(in));
    ASSERT_TRUE(eng.LastReadError().has_value());
    EXPECT_EQ(eng.LastReadError()->Number(), err::FileNotFound);
    EXPECT_EQ(eng.BowlCount(), 0);
}

// A stream buffer that takes only the first `room` characters.
class ShortBuf : public std::streambuf {
public:
    explicit ShortBuf(std::size_t room) : m_Room(room) {}
    std::string text;

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        if (text.size() >= m_Room) return traits_type::eof();
        text.push_back(traits_type::to_char_type(c));
        return c;
    }

private:
    std::size_t m_Room;
};

TEST_F(ScenarioFile, WriteFailureAnywhereReportsFalse) {
    Add(1, 500, 400, 3, -2);
    Add(4, 1500, 400, 0, 0);
    const std::size_t full = std::strlen(kExample);
    for (std::size_t room = 0; room < full; room += 3) {
        ShortBuf buf(room);
        std::ostream out(&buf);
        EXPECT_FALSE(eng.SerializeOut(out)) << "room " << room;
        EXPECT_EQ(buf.text, std::string(kExample, room)); // what fitted stays written
    }
    ShortBuf buf(full);
    std::ostream out(&buf);
    EXPECT_TRUE(eng.SerializeOut(out));
    EXPECT_EQ(buf.text, kExample);
}

TEST(BowlFile, WritesAndReadsItsFiveLines) {
    CBowl b;
    b.SetM(7);
    b.SetXo(0.1f);
    b.SetYo(-250.25f);
    b.SetVxo(1e-3f);
    b.SetVyo(40);
    std::ostringstream out(std::ios::binary);
    ASSERT_TRUE(b.SerializeOut(out));
    EXPECT_EQ(out.str(), "7\r\n0.100000001\r\n-250.25\r\n0.00100000005\r\n40\r\n");

    CBowl c;
    std::istringstream in(out.str(), std::ios::binary);
    ASSERT_TRUE(c.SerializeIn(in));
    EXPECT_EQ(c.M(), 7.0f);
    EXPECT_EQ(c.r(), b.r());
    EXPECT_EQ(c.x, 0.1f);
    EXPECT_EQ(c.Vxo(), 1e-3f);

    std::istringstream shortIn("7\r\n0.1\r\n", std::ios::binary);
    EXPECT_FALSE(CBowl().SerializeIn(shortIn));

    ShortBuf buf(4);
    std::ostream failing(&buf);
    EXPECT_FALSE(b.SerializeOut(failing));
}

} // namespace
} // namespace vintrop
