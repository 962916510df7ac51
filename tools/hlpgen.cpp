// hlpgen: builds a WinHelp 3.1 help file (.hlp) from a plain-text source.
// Usage: hlpgen <source.txt> <output.hlp>
//
// Source: topics start with "# Title". Lines right after the title may be
//   context: <item>, <item>...   (item: "contents", a help context number, or first-last)
//   keywords: <word>; <word>...                      (index keywords)
// followed by the topic's text; a blank line separates paragraphs. The first topic
// is the contents topic.
//
// The file holds, uncompressed: the internal directory, |SYSTEM (title, contents
// topic), |FONT, |TOPIC (topic headers and text paragraphs in one 4 KiB block),
// |CONTEXT (context-name hashes), |CTXOMAP (context numbers) and |KWBTREE/|KWDATA
// (keywords).
#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::string;

void U8(Bytes& b, unsigned v) { b += static_cast<char>(v & 0xFF); }
void U16(Bytes& b, unsigned v) {
  U8(b, v);
  U8(b, v >> 8);
}
void U32(Bytes& b, uint32_t v) {
  U16(b, v & 0xFFFF);
  U16(b, v >> 16);
}
void Put32(Bytes& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

struct Topic {
  std::string title;
  std::string contextName;
  std::vector<uint32_t> numbers;
  std::vector<std::string> keywords;
  std::vector<std::string> paragraphs;
  uint32_t offset = 0;  // topic offset: block * 0x8000 + characters before it in the block
};

std::string Trim(const std::string& s) {
  std::size_t a = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
  return a == std::string::npos ? std::string() : s.substr(a, e - a + 1);
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::vector<Topic> Parse(std::istream& in) {
  std::vector<Topic> topics;
  std::string line, para;
  bool header = false;
  auto flush = [&] {
    if (!topics.empty() && !para.empty()) topics.back().paragraphs.push_back(para);
    para.clear();
  };
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.rfind("# ", 0) == 0) {
      flush();
      topics.push_back({});
      topics.back().title = line.substr(2);
      header = true;
      continue;
    }
    if (topics.empty()) continue;
    Topic& t = topics.back();
    if (header && line.rfind("context:", 0) == 0) {
      std::stringstream list(line.substr(8));
      std::string v;
      while (std::getline(list, v, ',')) {
        v = Trim(v);
        std::size_t dash = v.find('-');
        std::string name;
        if (v == "contents") {
          name = "contents";
        } else if (dash != std::string::npos) {
          uint32_t a = std::stoul(v.substr(0, dash)), z = std::stoul(v.substr(dash + 1));
          for (uint32_t n = a; n <= z; ++n) t.numbers.push_back(n);
          name = "IDH_" + v.substr(0, dash);
        } else if (!v.empty()) {
          t.numbers.push_back(std::stoul(v));
          name = "IDH_" + v;
        }
        if (t.contextName.empty()) t.contextName = name;
      }
      continue;
    }
    if (header && line.rfind("keywords:", 0) == 0) {
      std::stringstream ss(line.substr(9));
      std::string k;
      while (std::getline(ss, k, ';'))
        if (!Trim(k).empty()) t.keywords.push_back(Trim(k));
      continue;
    }
    header = false;
    if (line.empty()) {
      flush();
    } else {
      para += (para.empty() ? "" : " ") + line;
    }
  }
  flush();
  for (std::size_t i = 0; i < topics.size(); ++i)
    if (topics[i].contextName.empty()) topics[i].contextName = "TOPIC_" + std::to_string(i);
  return topics;
}

int32_t Hash(const std::string& name) {
  uint32_t h = 0;
  for (char c : name) {
    unsigned x = 0;
    if (c >= 'A' && c <= 'Z') x = c - 'A' + 17;
    if (c >= 'a' && c <= 'z') x = c - 'a' + 17;
    if (c >= '1' && c <= '9') x = c - '0';
    if (c == '0') x = 10;
    if (c == '.') x = 12;
    if (c == '_') x = 13;
    if (x) h = h * 43 + x;
  }
  return static_cast<int32_t>(h);
}

// An internal file: 9-byte header (reserved space, used space, flags) and the data.
Bytes InternalFile(const Bytes& data) {
  Bytes b;
  U32(b, static_cast<uint32_t>(data.size() + 9));
  U32(b, static_cast<uint32_t>(data.size()));
  U8(b, 4);
  return b + data;
}

// A one-page B+ tree holding the given (already sorted) leaf entries.
Bytes LeafTree(const std::vector<Bytes>& entries, const char* structure, unsigned pageSize, unsigned flags) {
  Bytes page;
  std::size_t used = 8;
  for (const Bytes& e : entries) used += e.size();
  if (used > pageSize) throw std::runtime_error("B+ tree page overflow");
  U16(page, static_cast<unsigned>(pageSize - used));
  U16(page, static_cast<unsigned>(entries.size()));
  U16(page, 0xFFFF);
  U16(page, 0xFFFF);
  for (const Bytes& e : entries) page += e;
  page.resize(pageSize, '\0');
  Bytes h;
  U16(h, 0x293B);
  U16(h, flags);
  U16(h, pageSize);
  Bytes s(structure);
  s.resize(16, '\0');
  h += s;
  U16(h, 0);       // must be zero
  U16(h, 0);       // page splits
  U16(h, 0);       // root page
  U16(h, 0xFFFF);  // must be -1
  U16(h, 1);       // total pages
  U16(h, 1);       // levels
  U32(h, static_cast<uint32_t>(entries.size()));
  return h + page;
}

// Compressed numbers of the paragraph records.
void CompressedLong(Bytes& b, uint32_t v) { U16(b, 0x8000 + 2 * v); }  // v < 16384
void CompressedUShort(Bytes& b, unsigned v) {
  if (v < 128) {
    U8(b, 2 * v);
  } else {
    U16(b, 2 * v + 1);
  }
}

constexpr unsigned kBlockSize = 0x1000;
constexpr unsigned kBlockData = kBlockSize - 12;

struct Record {
  unsigned type;
  Bytes data1, data2;  // link data 1 (after the 21-byte header) and 2
  unsigned chars;      // characters it adds to the topic offset count
  std::size_t topic;   // owning topic
};

// Link data 1 (the format codes) and 2 (the text) of one paragraph in one font.
std::pair<Bytes, Bytes> Paragraph(const std::string& text, unsigned font, unsigned& chars) {
  Bytes d1;
  Bytes texts;
  texts += '\0';
  texts += text;
  texts += '\0';
  texts += '\0';
  chars = static_cast<unsigned>(text.size() + 1);
  CompressedLong(d1, static_cast<uint32_t>(texts.size()));
  CompressedUShort(d1, chars);
  U8(d1, 0);
  U8(d1, 0x80);
  U16(d1, 0);  // paragraph id
  U16(d1, 0);  // no paragraph attributes: left aligned
  U8(d1, 0x80);
  U16(d1, font);
  U8(d1, 0x82);
  U8(d1, 0xFF);
  return {d1, texts};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: hlpgen <source.txt> <output.hlp>\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "hlpgen: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::vector<Topic> topics = Parse(in);
  if (topics.empty()) {
    std::cerr << "hlpgen: no topics in " << argv[1] << "\n";
    return 1;
  }

  // Records in order: per topic a header, the bold title, then its paragraphs.
  std::vector<Record> records;
  for (std::size_t t = 0; t < topics.size(); ++t) {
    Record header{0x02, Bytes(28, '\0'), topics[t].title, 0, t};
    records.push_back(header);
    std::vector<std::pair<std::string, unsigned>> paras = {{topics[t].title, 1}};
    for (const std::string& p : topics[t].paragraphs) paras.push_back({p, 0});
    for (auto& [text, font] : paras) {
      unsigned chars = 0;
      auto [data1, data2] = Paragraph(text, font, chars);
      records.push_back({0x20, data1, data2, chars, t});
    }
  }

  // Place the records in the topic block; a reference is 0x0C + block * 0x4000 +
  // position in the block's data (the text must fit one 4 KiB block).
  std::vector<uint32_t> refs(records.size());
  std::vector<unsigned> blockOf(records.size());
  {
    unsigned block = 0, pos = 0, chars = 0;
    std::vector<bool> seen(topics.size(), false);
    for (std::size_t i = 0; i < records.size(); ++i) {
      std::size_t size = 21 + records[i].data1.size() + records[i].data2.size();
      if (pos + size > kBlockData) {
        // Readers disagree on how references span topic blocks; keep to one.
        std::cerr << "hlpgen: the help text needs more than one 4 KiB topic block; shorten it\n";
        std::exit(1);
      }
      refs[i] = 0x0C + block * 0x4000 + pos;
      blockOf[i] = block;
      if (records[i].type == 0x02 && !seen[records[i].topic]) {
        topics[records[i].topic].offset = block * 0x8000 + chars;
        seen[records[i].topic] = true;
      }
      chars += records[i].chars;
      pos += static_cast<unsigned>(size);
    }
  }
  // Topic headers: browse links, number, first paragraph, next topic.
  std::vector<std::size_t> headerIndex;
  for (std::size_t i = 0; i < records.size(); ++i)
    if (records[i].type == 0x02) headerIndex.push_back(i);
  for (std::size_t t = 0; t < headerIndex.size(); ++t) {
    Bytes& d = records[headerIndex[t]].data1;
    d.clear();
    U32(d, 0);
    U32(d, t > 0 ? topics[t - 1].offset : 0xFFFFFFFF);
    U32(d, t + 1 < topics.size() ? topics[t + 1].offset : 0xFFFFFFFF);
    U32(d, static_cast<uint32_t>(t));
    U32(d, 0xFFFFFFFF);
    U32(d, refs[headerIndex[t] + 1]);
    U32(d, t + 1 < headerIndex.size() ? refs[headerIndex[t + 1]] : 0xFFFFFFFF);
  }
  Bytes topicData;
  {
    unsigned block = 0;
    Bytes data;
    auto closeBlock = [&] {
      Bytes b;
      U32(b, 0xFFFFFFFF);
      U32(b, 0x0C);
      U32(b, 0xFFFFFFFF);
      data.resize(kBlockData, '\0');
      topicData += b + data;
      data.clear();
    };
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (blockOf[i] != block) {
        closeBlock();
        block = blockOf[i];
      }
      const Record& r = records[i];
      Bytes h;
      U32(h, static_cast<uint32_t>(21 + r.data1.size() + r.data2.size()));
      U32(h, static_cast<uint32_t>(r.data2.size()));
      U32(h, i > 0 ? refs[i - 1] : 0xFFFFFFFF);
      U32(h, i + 1 < records.size() ? refs[i + 1] : 0xFFFFFFFF);
      U32(h, static_cast<uint32_t>(21 + r.data1.size()));
      U8(h, r.type);
      data += h + r.data1 + r.data2;
    }
    closeBlock();
  }

  // |SYSTEM: version 3.1, uncompressed; title and contents topic.
  Bytes sys;
  U16(sys, 0x036C);
  U16(sys, 21);
  U16(sys, 1);
  U32(sys, 0);
  U16(sys, 0);
  std::string title = "Tessary Help";
  U16(sys, 1);
  U16(sys, static_cast<unsigned>(title.size() + 1));
  sys += title;
  sys += '\0';
  U16(sys, 3);
  U16(sys, 4);
  U32(sys, topics[0].offset);

  // |FONT: one face, a normal and a bold title font.
  Bytes font;
  U16(font, 1);
  U16(font, 2);
  U16(font, 8);
  U16(font, 8 + 20);
  Bytes face("Arial");
  face.resize(20, '\0');
  font += face;
  for (auto [flag, size] : {std::pair<unsigned, unsigned>{0, 20}, {1, 24}}) {
    U8(font, flag);
    U8(font, size);
    U8(font, 3);  // swiss
    U16(font, 0);
    U8(font, 0), U8(font, 0), U8(font, 0);
    U8(font, 255), U8(font, 255), U8(font, 255);
  }

  // |CONTEXT: context-name hashes, sorted.
  std::vector<std::pair<int32_t, uint32_t>> hashes;
  for (const Topic& t : topics) hashes.push_back({Hash(t.contextName), t.offset});
  std::sort(hashes.begin(), hashes.end());
  std::vector<Bytes> ctxEntries;
  for (auto [h, off] : hashes) {
    Bytes e;
    U32(e, static_cast<uint32_t>(h));
    U32(e, off);
    ctxEntries.push_back(e);
  }

  // |CTXOMAP: context numbers.
  Bytes map;
  std::vector<std::pair<uint32_t, uint32_t>> numbers;
  for (const Topic& t : topics)
    for (uint32_t n : t.numbers) numbers.push_back({n, t.offset});
  U16(map, static_cast<unsigned>(numbers.size()));
  for (auto [n, off] : numbers) {
    U32(map, n);
    U32(map, off);
  }

  // |KWBTREE and |KWDATA: keywords, sorted without regard to case.
  std::map<std::string, std::pair<std::string, std::vector<uint32_t>>> keywords;
  for (const Topic& t : topics)
    for (const std::string& k : t.keywords) {
      auto& slot = keywords[Lower(k)];
      slot.first = k;
      slot.second.push_back(t.offset);
    }
  std::vector<Bytes> kwEntries;
  Bytes kwdata;
  for (auto& [key, value] : keywords) {
    Bytes e = value.first;
    e += '\0';
    U16(e, static_cast<unsigned>(value.second.size()));
    U32(e, static_cast<uint32_t>(kwdata.size()));
    for (uint32_t off : value.second) U32(kwdata, off);
    kwEntries.push_back(e);
  }

  std::vector<std::pair<std::string, Bytes>> files = {
      {"|CONTEXT", LeafTree(ctxEntries, "L4", 0x800, 0x0002)},
      {"|CTXOMAP", map},
      {"|FONT", font},
      {"|KWBTREE", LeafTree(kwEntries, "z4", 0x800, 0x0002)},
      {"|KWDATA", kwdata},
      {"|SYSTEM", sys},
      {"|TOPIC", topicData},
  };
  std::sort(files.begin(), files.end());

  Bytes out(16, '\0');
  std::vector<Bytes> dirEntries;
  for (auto& [name, data] : files) {
    Bytes e = name;
    e += '\0';
    U32(e, static_cast<uint32_t>(out.size()));
    dirEntries.push_back(e);
    out += InternalFile(data);
  }
  uint32_t dirStart = static_cast<uint32_t>(out.size());
  out += InternalFile(LeafTree(dirEntries, "z4", 0x400, 0x0402));
  Put32(out, 0, 0x00035F3F);
  Put32(out, 4, dirStart);
  Put32(out, 8, 0xFFFFFFFF);
  Put32(out, 12, static_cast<uint32_t>(out.size()));

  std::ofstream o(argv[2], std::ios::binary | std::ios::trunc);
  o.write(out.data(), static_cast<std::streamsize>(out.size()));
  if (!o) {
    std::cerr << "hlpgen: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
