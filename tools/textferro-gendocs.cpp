// Writes a synthetic table of dated documents for textferro-prepare: the example
// table and the benchmark's inputs. The same options and seed always give the
// same table.
//
// Documents talk about energy from 1995 on. Each of a dozen topics rises and
// fades around a year of its own, so the topics drift; there are more documents
// in later years; about one in twelve documents is in German, French or Spanish;
// dates come in several ISO 8601 forms; texts hold commas, quotes and paragraph
// breaks, titles are short.

#include "SeededRandom.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

struct Options {
  std::string out;
  std::uint64_t seed = 1;
  long documents = 300;
  int words = 100;
  int firstYear = 1995;
  int lastYear = 2024;
  int lexicon = 0;
};

const char* const kUsage =
    "usage: textferro-gendocs --out FILE [--seed N] [--documents N] [--words N]\n"
    "       [--first-year Y] [--last-year Y] [--lexicon N]\n"
    "Writes a table of dated documents (columns id, date, title, text) about energy,\n"
    "as CSV, TSV or JSON Lines after the suffix of FILE (.csv, .tsv, .jsonl). About\n"
    "--words words per document (default 100), --documents 300 by default. With\n"
    "--lexicon N, a third of the words come from N made-up words of Zipf-like\n"
    "frequencies, so that the vocabulary grows with the table as real text does.\n";

struct Topic {
  double peak;  // year of greatest interest
  double width; // years
  std::vector<std::string> nouns;
};

const std::vector<Topic> kTopics = {
    {1995,
     8,
     {"coal", "mines", "miners", "colliery", "lignite", "pits", "coalfield", "furnaces",
      "steelworks", "smog", "soot", "closures"}},
    {1999,
     9,
     {"oil", "crude", "barrels", "refinery", "pipeline", "cartel", "tankers", "petrol", "reserves",
      "drilling", "platforms", "spills"}},
    {2006,
     6,
     {"nuclear", "reactors", "uranium", "radiation", "fission", "waste", "meltdown",
      "decommissioning", "isotopes", "safety", "inspectors", "plutonium"}},
    {2011,
     5,
     {"shale", "fracking", "methane", "wells", "gas", "terminals", "liquefied", "boreholes",
      "aquifers", "tremors", "leases", "condensate"}},
    {2016,
     10,
     {"climate", "emissions", "carbon", "warming", "treaty", "greenhouse", "temperatures",
      "targets", "summit", "pledges", "heatwaves", "drought"}},
    {2010,
     7,
     {"wind", "turbines", "blades", "offshore", "windfarms", "gigawatts", "nacelles", "onshore",
      "gusts", "towers", "foundations", "seabed"}},
    {2017,
     6,
     {"solar", "panels", "photovoltaic", "rooftops", "silicon", "inverters", "sunlight", "modules",
      "wafers", "arrays", "irradiance", "installers"}},
    {2021,
     5,
     {"electric", "vehicles", "charging", "chargers", "motorists", "range", "dealerships", "cars",
      "fleets", "plugs", "commuters", "buses"}},
    {2020,
     5,
     {"storage", "batteries", "lithium", "cathodes", "megawatts", "pumped", "cells", "cobalt",
      "recycling", "gigafactory", "chemistry", "anodes"}},
    {2023,
     4,
     {"hydrogen", "electrolysis", "electrolysers", "ammonia", "pipelines", "steelmaking",
      "fertiliser", "refuelling", "turquoise", "catalysts", "compressors", "tanks"}},
    {2009,
     7,
     {"insulation", "efficiency", "buildings", "retrofits", "boilers", "thermostats", "glazing",
      "draughts", "landlords", "tenants", "radiators", "lofts"}},
    {2003,
     12,
     {"grid", "prices", "tariffs", "utilities", "transmission", "blackouts", "interconnectors",
      "substations", "regulators", "wholesale", "bills", "consumers"}},
};

const std::vector<std::string> kVerbs = {"expands",  "doubles", "worries", "changes", "divides",
                                         "reshapes", "slows",   "drives",  "strains", "lifts"};
const std::vector<std::string> kPlaces = {"Scotland", "Texas",      "Bavaria",   "Jutland",
                                          "Ontario",  "Queensland", "Andalusia", "Hokkaido",
                                          "Wales",    "Gujarat",    "Brittany",  "Alberta"};
const std::vector<std::string> kWeights = {"new",      "cheaper",  "local",     "public", "private",
                                           "regional", "national", "municipal", "rural"};

// A few documents in other languages, each with words of its own.
struct Language {
  std::vector<std::string> words;
  std::vector<std::string> glue;
};
const std::vector<Language> kLanguages = {
    {{"Energiewende", "Windkraft", "Windräder", "Kohleausstieg", "Atomkraft", "Kernkraftwerk",
      "Solarstrom", "Photovoltaik", "Strompreise", "Netzausbau", "Wärmepumpen", "Bürger"},
     {"die", "der", "und", "für", "mit", "über", "gegen", "wieder"}},
    {{"éolien", "éoliennes", "nucléaire", "centrale", "réacteurs", "photovoltaïque", "énergie",
      "électricité", "sobriété", "charbon", "chaudières", "réseau"},
     {"le", "la", "les", "des", "pour", "avec", "contre", "à"}},
    {{"energía", "eólica", "aerogeneradores", "fotovoltaica", "placas", "nuclear", "centrales",
      "carbón", "electricidad", "tarifas", "autoconsumo", "baterías"},
     {"el", "la", "los", "las", "para", "con", "contra", "según"}},
};

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    const char* value = argv[i + 1];
    char* end = nullptr;
    const long long number = std::strtoll(value, &end, 10);
    const bool numeric = *value != '\0' && *end == '\0' && number >= 0;
    if (key == "--out")
      o.out = value;
    else if (!numeric)
      return false;
    else if (key == "--seed")
      o.seed = static_cast<std::uint64_t>(number);
    else if (key == "--documents")
      o.documents = static_cast<long>(number);
    else if (key == "--words")
      o.words = static_cast<int>(number);
    else if (key == "--first-year")
      o.firstYear = static_cast<int>(number);
    else if (key == "--last-year")
      o.lastYear = static_cast<int>(number);
    else if (key == "--lexicon")
      o.lexicon = static_cast<int>(number);
    else
      return false;
  }
  return argc % 2 == 1 && !o.out.empty() && o.words >= 1 && o.firstYear >= 1000 &&
         o.lastYear >= o.firstYear && o.lastYear <= 9999;
}

// Later years get more documents: the weight of a year grows by a fifth each year.
int drawYear(const Options& o, SeededRandom& draw) {
  const double span = o.lastYear - o.firstYear + 1;
  const double growth = std::log(1.2);
  const double u = draw.real();
  const double t = std::log1p(u * std::expm1(growth * span)) / growth;
  return o.firstYear + std::min(static_cast<int>(t), o.lastYear - o.firstYear);
}

std::string drawDate(int year, SeededRandom& draw) {
  char text[40];
  const int month = 1 + draw.below(12), day = 1 + draw.below(28);
  const int hour = draw.below(24), minute = draw.below(60);
  const double form = draw.real();
  if (form < 0.05)
    std::snprintf(text, sizeof text, "%04d", year);
  else if (form < 0.75)
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  else if (form < 0.85)
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", year, month, day, hour,
                  minute, draw.below(60));
  else if (form < 0.95)
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d+01:00", year, month, day, hour,
                  minute);
  else
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
  return text;
}

const Topic& drawTopic(int year, SeededRandom& draw) {
  std::vector<double> weight;
  double total = 0;
  for (const Topic& topic : kTopics) {
    const double distance = (year - topic.peak) / topic.width;
    total += std::exp(-distance * distance);
    weight.push_back(total);
  }
  const double u = draw.real() * total;
  std::size_t t = 0;
  while (t + 1 < weight.size() && weight[t] < u)
    ++t;
  return kTopics[t];
}

std::string capitalised(std::string word) {
  if (!word.empty() && word[0] >= 'a' && word[0] <= 'z')
    word[0] = static_cast<char>(word[0] - 'a' + 'A');
  return word;
}

// One English sentence about one or two topics.
std::string englishSentence(const Topic& main, const Topic& side, SeededRandom& draw) {
  const std::string& a = draw.pick(main.nouns);
  const std::string& b = draw.pick(draw.real() < 0.7 ? main.nouns : side.nouns);
  switch (draw.below(5)) {
  case 0:
    return "The " + draw.pick(kWeights) + " " + a + " of " + draw.pick(kPlaces) + " " +
           draw.pick(kVerbs) + " " + b + ".";
  case 1:
    return capitalised(a) + " and " + b + ", say analysts, " + draw.pick(kVerbs) +
           " the market in " + draw.pick(kPlaces) + ".";
  case 2:
    return "In " + draw.pick(kPlaces) + ", \"" + a + "\" is the word on everyone's lips.";
  case 3:
    return "Critics argue that " + a + " " + draw.pick(kVerbs) + " " + draw.pick(kWeights) + " " +
           b + " faster than expected.";
  default:
    return "A report on " + a + " and " + b + " was published this week.";
  }
}

std::string foreignSentence(const Language& language, SeededRandom& draw) {
  std::string sentence = capitalised(draw.pick(language.glue));
  for (int i = 0; i < 7; ++i)
    sentence += " " + (i % 2 ? draw.pick(language.glue) : draw.pick(language.words));
  return sentence + ".";
}

// Made-up word number `index`: syllables, like a digit string in base 16.
std::string madeUpWord(int index) {
  static const char* const kSyllables[] = {"ka", "lo",  "mi",  "ren", "tu", "sa", "vel", "dor",
                                           "pi", "nex", "qua", "ber", "ol", "im", "zan", "fe"};
  std::string word = "t";
  for (int i = 0; i < 2 || index > 0; ++i, index /= 16)
    word += kSyllables[index % 16];
  return word;
}

// A sentence of made-up words near the topic's part of the lexicon; ranks are
// drawn with probability falling as 1 / rank, as word frequencies do.
std::string lexiconSentence(int lexicon, std::size_t topic, SeededRandom& draw) {
  std::string sentence = "Also mentioned:";
  for (int i = 0; i < 8; ++i) {
    const int rank = static_cast<int>(std::exp(draw.real() * std::log(double(lexicon))));
    const int index = (rank + static_cast<int>(topic) * lexicon / 12) % lexicon;
    sentence += (i ? ", " : " ") + madeUpWord(index);
  }
  return sentence + ".";
}

int wordsIn(const std::string& text) {
  int words = 0;
  bool inWord = false;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\n';
    words += !blank && !inWord;
    inWord = !blank;
  }
  return words;
}

struct Row {
  std::string id, date, title, text;
};

Row makeDocument(const Options& o, long index, SeededRandom& draw) {
  Row row;
  char id[32];
  std::snprintf(id, sizeof id, "doc-%06ld", index + 1);
  row.id = id;
  const int year = drawYear(o, draw);
  row.date = drawDate(year, draw);
  const int target = std::max(1, o.words * (60 + draw.below(81)) / 100);
  if (draw.real() < 1.0 / 12) {
    const Language& language = draw.pick(kLanguages);
    row.title = capitalised(draw.pick(language.words));
    while (wordsIn(row.text) < target)
      row.text += (row.text.empty() ? "" : " ") + foreignSentence(language, draw);
    return row;
  }
  const Topic& main = drawTopic(year, draw);
  const Topic& side = drawTopic(year, draw);
  row.title = capitalised(draw.pick(main.nouns)) + " in " + draw.pick(kPlaces);
  while (wordsIn(row.text) < target) {
    if (!row.text.empty())
      row.text += draw.real() < 0.15 ? "\n\n" : " ";
    row.text +=
        o.lexicon > 0 && draw.real() < 0.35
            ? lexiconSentence(o.lexicon, static_cast<std::size_t>(&main - &kTopics[0]), draw)
            : englishSentence(main, side, draw);
  }
  return row;
}

std::string csvField(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text)
    quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string jsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\')
      quoted += '\\';
    quoted += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return quoted + "\"";
}

std::string tableLine(const Row& row, const std::string& format) {
  if (format == "jsonl")
    return "{\"id\": " + jsonString(row.id) + ", \"date\": " + jsonString(row.date) +
           ", \"title\": " + jsonString(row.title) + ", \"text\": " + jsonString(row.text) + "}\n";
  const std::string separator = format == "csv" ? "," : "\t";
  return row.id + separator + row.date + separator + csvField(row.title) + separator +
         csvField(row.text) + "\r\n";
}

} // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, o)) {
    std::cerr << kUsage;
    return 1;
  }
  const std::string format = o.out.substr(o.out.find_last_of('.') + 1);
  if (format != "csv" && format != "tsv" && format != "jsonl") {
    std::cerr << kUsage;
    return 1;
  }
  std::ofstream out(o.out, std::ios::binary);
  if (format != "jsonl")
    out << (format == "csv" ? "id,date,title,text\r\n" : "id\tdate\ttitle\ttext\r\n");
  SeededRandom draw(o.seed);
  for (long i = 0; i < o.documents && out; ++i)
    out << tableLine(makeDocument(o, i, draw), format);
  out.close();
  if (!out) {
    std::cerr << "Could not write " << o.out << std::endl;
    return 1;
  }
  return 0;
}
