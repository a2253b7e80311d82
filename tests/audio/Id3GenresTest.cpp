// The genre list and the reading of ID3v1 genre numbers.
#include <gtest/gtest.h>
#include <id3/globals.h>

#include <string>

#include "audio/Id3Genres.h"

namespace lumetra {
namespace {

TEST(Id3Genres, ListHas148NamesWithItsKnownEnds) {
    EXPECT_EQ(Id3GenreName(0), "Blues");
    EXPECT_EQ(Id3GenreName(17), "Rock");
    EXPECT_EQ(Id3GenreName(79), "Hard Rock");
    EXPECT_EQ(Id3GenreName(80), "Folk");
    EXPECT_EQ(Id3GenreName(144), "Trash Metal");
    EXPECT_EQ(Id3GenreName(147), "Synthpop");
    EXPECT_EQ(Id3GenreName(148), "");
    EXPECT_EQ(Id3GenreName(-1), "");
}

// The library's own copy differs only where our list keeps the older spellings (67, 144) and
// where the library has a stray blank; any other difference is a typing mistake.
TEST(Id3Genres, ListAgreesWithTheLibrarysCopyApartFromKnownSpellings) {
    ASSERT_EQ(ID3_NR_OF_V1_GENRES, kId3GenreCount);
    for (int i = 0; i < kId3GenreCount; ++i) {
        std::string library = ID3_v1_genre_description[i];
        if (i == 67) library = "Psychadelic";
        if (i == 144) library = "Trash Metal";
        while (!library.empty() && library.back() == ' ') library.pop_back();
        EXPECT_EQ(Id3GenreName(i), library) << "genre " << i;
    }
}

struct GenreTextCase {
    const char* text;
    const char* genre;
};

class Id3v1GenreTextTest : public testing::TestWithParam<GenreTextCase> {};

TEST_P(Id3v1GenreTextTest, NumberInParenthesesBecomesItsName) {
    EXPECT_EQ(Id3v1GenreText(GetParam().text), GetParam().genre);
}

INSTANTIATE_TEST_SUITE_P(Texts, Id3v1GenreTextTest,
                         testing::Values(GenreTextCase{"(17)", "Rock"}, GenreTextCase{"(0)", "Blues"},
                                         GenreTextCase{"(147)", "Synthpop"}, GenreTextCase{"(148)", "(148)"},
                                         GenreTextCase{"(200)", "(200)"}, GenreTextCase{"(-1)", "(-1)"},
                                         GenreTextCase{"(17", "(17"}, GenreTextCase{"17", "17"},
                                         GenreTextCase{"(1 7)", "(1 7)"}, GenreTextCase{"()", "()"},
                                         GenreTextCase{"(17)Rock", "(17)Rock"}, GenreTextCase{"", ""},
                                         GenreTextCase{"Chanson", "Chanson"}));

}  // namespace
}  // namespace lumetra
