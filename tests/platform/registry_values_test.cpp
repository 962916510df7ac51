// Registry values as text: SHA-256, type names, escaped names and data fields of every
// type (each reads back byte for byte), refusals of damaged fields, the readable form.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/registry_values.h"
#include "platform/sha256.h"

namespace tessary {
namespace {

std::string Bytes(std::u16string_view units) {
  std::string out;
  for (char16_t u : units) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

TEST(Sha256, KnownDigestsWholeAndInPieces) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  const std::string million(1000000, 'a');
  EXPECT_EQ(Sha256Hex(million), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // Pieces of every length across the block edges give the same digest.
  for (std::size_t piece : {1u, 7u, 55u, 56u, 63u, 64u, 65u, 1000u}) {
    Sha256 sha;
    for (std::size_t at = 0; at < million.size(); at += piece) sha.Update(std::string_view(million).substr(at, piece));
    std::string hex;
    for (std::uint8_t b : sha.Finish()) {
      char buf[3];
      std::snprintf(buf, sizeof buf, "%02x", b);
      hex += buf;
    }
    EXPECT_EQ(hex, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0") << piece;
  }
}

TEST(ValueTypes, NamedNumberedAndRefused) {
  EXPECT_EQ(ValueTypeName(regtype::kNone), "REG_NONE");
  EXPECT_EQ(ValueTypeName(regtype::kExpandSz), "REG_EXPAND_SZ");
  EXPECT_EQ(ValueTypeName(regtype::kQword), "REG_QWORD");
  EXPECT_EQ(ValueTypeName(12), "REG_TYPE_12");
  EXPECT_EQ(ValueTypeName(0xFFFFFFFFu), "REG_TYPE_4294967295");
  for (std::uint32_t type : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 0x10000u, 0xFFFFFFFFu})
    EXPECT_EQ(ParseValueTypeName(ValueTypeName(type)), type) << type;
  for (const char* wrong : {"", "reg_sz", "REG_SZ ", "REG_STRING", "REG_TYPE_1", "REG_TYPE_011", "REG_TYPE_",
                            "REG_TYPE_-12", "REG_TYPE_4294967296", "REG_TYPE_12x", "4"})
    EXPECT_FALSE(ParseValueTypeName(wrong)) << wrong;
}

TEST(ValueText, EveryUnitReadsBackAndOnlyPrintableAsciiStaysPlain) {
  std::u16string all;
  for (char32_t u = 0; u < 0x10000; u += 7) all += static_cast<char16_t>(u);
  all += u"%>\t\r\n";
  all += u'\0';
  all += static_cast<char16_t>(0xD800);  // a lone surrogate
  const std::string text = EscapedUnits(all);
  for (char c : text) {
    EXPECT_TRUE(c >= 0x20 && c <= 0x7E && c != '>') << int(c);
  }
  EXPECT_EQ(UnescapeUnits(text), all);
  EXPECT_EQ(EscapedUnits(u"Run 100%>x\\y"), "Run 100%0025%003Ex\\y");
  EXPECT_EQ(EscapedUnits(std::u16string(u"a\0b", 3)), "a%0000b");
  EXPECT_EQ(EscapedUnits(u"\u00e9"), "%00E9");
  EXPECT_EQ(UnescapeUnits("%00e9"), u"\u00e9");
  for (const char* wrong : {"%", "%12", "%123", "%12G4", "a>b", "tab\there", "\x7f", "\xe9"})
    EXPECT_FALSE(UnescapeUnits(wrong)) << wrong;
}

struct TypedData {
  std::uint32_t type;
  std::string bytes;
  const char* field;
};

TEST(ValueData, EveryTypeReadsBackByteForByte) {
  const std::string dword("\x2A\x00\x00\x00", 4), qword("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
  const TypedData cases[] = {
      {regtype::kSz, Bytes(std::u16string(u"txtfile\0", 8)), "\"txtfile"},
      {regtype::kSz, Bytes(u"no end"), "'no end"},
      {regtype::kSz, Bytes(std::u16string(u"a\0b\0", 4)), "\"a%0000b"},
      {regtype::kSz, std::string("abc", 3), ":616263"},  // odd: not text
      {regtype::kSz, "", "'"},
      {regtype::kSz, std::string(2, '\0'), "\""},
      {regtype::kExpandSz, Bytes(std::u16string(u"%SystemRoot%\\x;C:\\New\0", 22)), "\"%0025SystemRoot%0025\\x;C:\\New"},
      {regtype::kMultiSz, Bytes(std::u16string(u"one\0two\0\0", 9)), "\"one%0000two%0000"},
      {regtype::kDword, dword, ":2A000000"},
      {regtype::kDwordBigEndian, std::string("\x00\x00\x00\x2A", 4), ":0000002A"},
      {regtype::kQword, qword, ":0102030405060708"},
      {regtype::kBinary, std::string("\x00\xFF\r\n", 4), ":00FF0D0A"},
      {regtype::kNone, "", ":"},
      {regtype::kNone, std::string("\x01", 1), ":01"},
      {0x12345u, std::string("\x74\x00\x78", 3), ":740078"},  // a type of no name: hex
  };
  for (const TypedData& c : cases) {
    const std::string field = DataField(c.type, c.bytes);
    EXPECT_EQ(field, c.field) << ValueTypeName(c.type);
    const auto back = ParseDataField(field, c.type);
    ASSERT_TRUE(back) << field;
    EXPECT_TRUE(back->whole);
    EXPECT_EQ(back->type, c.type);
    EXPECT_EQ(back->bytes, c.bytes) << field;
    EXPECT_EQ(back->size, c.bytes.size());
  }
}

TEST(ValueData, LongDataKeepsSizeAndHashOnly) {
  const std::string kept(kValueKeptWholeBytes, 'k');
  EXPECT_EQ(DataField(regtype::kBinary, kept)[0], ':');
  const std::string longer(kValueKeptWholeBytes + 1, 'k');
  const std::string field = DataField(regtype::kBinary, longer);
  EXPECT_EQ(field, "*65537:" + Sha256Hex(longer));
  const auto back = ParseDataField(field, regtype::kSz);
  ASSERT_TRUE(back);
  EXPECT_FALSE(back->whole);
  EXPECT_EQ(back->size, 65537u);
  EXPECT_EQ(back->sha256, Sha256Hex(longer));
  EXPECT_TRUE(back->bytes.empty());
}

TEST(ValueData, DamagedFieldsDoNotParse) {
  const std::string hash(64, 'a');
  for (const char* wrong : {"", "x", ":0", ":0G", ":GG", "*65536:" /* kept whole at that size */, "*12:"})
    EXPECT_FALSE(ParseDataField(wrong, regtype::kBinary)) << wrong;
  EXPECT_FALSE(ParseDataField("\"text", regtype::kDword));  // text only for string types
  EXPECT_FALSE(ParseDataField("'text", regtype::kBinary));
  EXPECT_FALSE(ParseDataField("\"%12", regtype::kSz));
  EXPECT_FALSE(ParseDataField("\"a>b", regtype::kSz));
  EXPECT_TRUE(ParseDataField("*65537:" + hash, regtype::kBinary));
  EXPECT_FALSE(ParseDataField("*65536:" + hash, regtype::kBinary));
  EXPECT_FALSE(ParseDataField("*065537:" + hash, regtype::kBinary));
  EXPECT_FALSE(ParseDataField("*4294967296:" + hash, regtype::kBinary));  // beyond what a value holds
  EXPECT_FALSE(ParseDataField("*99999999999999999999999:" + hash, regtype::kBinary));
  EXPECT_FALSE(ParseDataField("*65537:" + std::string(64, 'A'), regtype::kBinary));
  EXPECT_FALSE(ParseDataField("*65537:" + std::string(63, 'a'), regtype::kBinary));
  // Whole data beyond the kept size is never written, so it is not read either.
  EXPECT_FALSE(ParseDataField(":" + std::string(2 * (kValueKeptWholeBytes + 1), '0'), regtype::kBinary));
  EXPECT_EQ(ParseValueSize("0"), 0u);
  EXPECT_FALSE(ParseValueSize("00"));
  EXPECT_FALSE(ParseValueSize("+1"));
  EXPECT_FALSE(ParseValueSize("18446744073709551616"));
}

TEST(ValueData, ReadableFormsAreShortAndCarryTheSize) {
  auto described = [](std::uint32_t type, const std::string& bytes) {
    return DescribeValueData(*ParseDataField(DataField(type, bytes), type));
  };
  EXPECT_EQ(DescribeValueName(u""), "(Default)");
  EXPECT_EQ(DescribeValueName(std::u16string(u"Run\nNow\u00e9", 8)), "\"Run<0A>Now?\"");
  EXPECT_EQ(described(regtype::kSz, Bytes(std::u16string(u"txtfile\0", 8))), "REG_SZ, 16 bytes: \"txtfile\"");
  EXPECT_EQ(described(regtype::kSz, Bytes(u"no end")), "REG_SZ, 12 bytes: \"no end\"");
  EXPECT_EQ(described(regtype::kSz, Bytes(std::u16string(u"a\0b\0", 4))), "REG_SZ, 8 bytes: \"a<00>b\"");
  EXPECT_EQ(described(regtype::kExpandSz, Bytes(std::u16string(u"%PATH%;C:\\x\0", 12))),
            "REG_EXPAND_SZ, 24 bytes: \"%PATH%;C:\\x\"");
  EXPECT_EQ(described(regtype::kMultiSz, Bytes(std::u16string(u"one\0two\0\0", 9))),
            "REG_MULTI_SZ, 18 bytes: \"one\", \"two\"");
  EXPECT_EQ(described(regtype::kDword, std::string("\x02\x00\x00\x00", 4)), "REG_DWORD, 4 bytes: 0x00000002 (2)");
  EXPECT_EQ(described(regtype::kDwordBigEndian, std::string("\x00\x00\x01\x00", 4)),
            "REG_DWORD_BIG_ENDIAN, 4 bytes: 0x00000100 (256)");
  EXPECT_EQ(described(regtype::kQword, std::string("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8)),
            "REG_QWORD, 8 bytes: 0xFFFFFFFFFFFFFFFF (18446744073709551615)");
  EXPECT_EQ(described(regtype::kDword, std::string("\x01\x02", 2)), "REG_DWORD, 2 bytes: 01 02");
  EXPECT_EQ(described(regtype::kBinary, std::string(20, '\x0A')),
            "REG_BINARY, 20 bytes: 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A ...");
  EXPECT_EQ(described(regtype::kNone, ""), "REG_NONE, 0 bytes");
  EXPECT_EQ(described(regtype::kBinary, "x"), "REG_BINARY, 1 byte: 78");
  EXPECT_EQ(described(77, "ab"), "REG_TYPE_77, 2 bytes: 61 62");
  const std::string longText = Bytes(std::u16string(100, u'x') + u'\0');
  EXPECT_EQ(described(regtype::kSz, longText), "REG_SZ, 202 bytes: \"" + std::string(56, 'x') + "...");
  const std::string longer(kValueKeptWholeBytes + 1, 'k');
  EXPECT_EQ(described(regtype::kBinary, longer),
            "REG_BINARY, 65537 bytes (SHA-256 " + Sha256Hex(longer).substr(0, 16) + "...)");
}

}  // namespace
}  // namespace tessary
