// The LP row and column names of CExtendedTagProcessor: a name is cut into
// its fields by position (a prefix, three-character tags, one-character
// market, mode, period and plant fields) and the fields are joined by ":".

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "caseset/tags/extended_tag_processor.h"

namespace {

bool StartsWithAny(const std::string& name, std::size_t length, std::initializer_list<const char*> prefixes) {
  if (name.size() < length) return false;
  return std::any_of(prefixes.begin(), prefixes.end(),
                     [&](const char* prefix) { return name.compare(0, length, prefix) == 0; });
}

std::string Join(const std::vector<std::string>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ':';
    out += fields[i];
  }
  return out;
}

std::string WithoutColons(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), ':'), text.end());
  return text;
}

bool IsDigit(char ch) { return std::isdigit(static_cast<unsigned char>(ch)) != 0; }

}  // namespace

std::string CExtendedTagProcessor::Field(const std::string& name, std::size_t at, std::size_t length) const {
  return at < name.size() ? name.substr(at, length) : std::string();
}

std::string CExtendedTagProcessor::Tag(const std::string& name, std::size_t at, bool replace) const {
  const std::string tag = Field(name, at, 3);
  return replace ? GetExtendedThreeCharTag(tag) : tag;
}

// The one-character fields of one LP name: each read at its position, replaced
// by its extended tag when replace is set and, but for PlantTag, kept as the
// resolved field of its kind.
class CExtendedTagProcessor::LpNameFields {
 public:
  LpNameFields(CExtendedTagProcessor& tags, const std::string& name, bool replace)
      : m_tags(tags), m_name(name), m_replace(replace) {}

  // A new name: the whole name on the left, the other resolved fields empty.
  void ClearResolved() {
    m_tags.m_strResolvedLeft = m_name;
    m_tags.m_strResolvedMode.clear();
    m_tags.m_strResolvedPlant.clear();
    m_tags.m_strResolvedMarket.clear();
    m_tags.m_strResolvedPeriod.clear();
  }
  std::string Market(std::size_t at) {
    return Keep(m_tags.m_strResolvedMarket, &CExtendedTagProcessor::GetExtendedMarketTag, at);
  }
  std::string Plant(std::size_t at) {
    return Keep(m_tags.m_strResolvedPlant, &CExtendedTagProcessor::GetExtendedPlantTag, at);
  }
  std::string Period(std::size_t at) {
    return Keep(m_tags.m_strResolvedPeriod, &CExtendedTagProcessor::GetExtendedPeriodTag, at);
  }
  std::string Mode(std::size_t at) {
    return Keep(m_tags.m_strResolvedMode, &CExtendedTagProcessor::GetExtendedModeTag, at);
  }
  std::string PlantTag(std::size_t at) const { return Read(&CExtendedTagProcessor::GetExtendedPlantTag, at); }

 private:
  using Extend = std::string (CExtendedTagProcessor::*)(const std::string&) const;
  std::string Read(Extend extend, std::size_t at) const {
    const std::string field = m_tags.Field(m_name, at, 1);
    return m_replace ? (m_tags.*extend)(field) : field;
  }
  std::string Keep(std::string& resolved, Extend extend, std::size_t at) {
    resolved = Read(extend, at);
    return resolved;
  }

  CExtendedTagProcessor& m_tags;
  const std::string& m_name;
  bool m_replace;
};

std::string CExtendedTagProcessor::ParseNameSuffix(std::int32_t modelType, const std::string& name, bool replace) {
  const std::size_t length = name.size();
  if (length != 8 && length != 9) return std::string();
  LpNameFields letter(*this, name, replace);
  std::string suffix = ":";
  if (modelType == 1) {
    suffix += letter.Period(7);
  } else if (modelType == 2) {
    suffix += letter.Plant(7);
  } else if (modelType == 3) {
    suffix += letter.Period(7);
    if (length == 9) suffix += ":" + letter.Plant(8);
  }
  return suffix;
}

// The Q form of columns and the Q and R form of rows.
std::string CExtendedTagProcessor::QForm(std::int32_t modelType, const std::string& name, bool replace, bool row) {
  const std::size_t length = name.size();
  std::vector<std::string> fields = {name.substr(0, 1), Tag(name, 1, replace)};
  // Period and plant fields of this form keep their characters in the resolved fields.
  const auto period = [&](std::size_t at) {
    m_strResolvedPeriod = Field(name, at, 1);
    fields.push_back(replace ? GetExtendedPeriodTag(m_strResolvedPeriod) : m_strResolvedPeriod);
  };
  const auto plant = [&](std::size_t at) {
    m_strResolvedPlant = Field(name, at, 1);
    fields.push_back(replace ? GetExtendedPlantTag(m_strResolvedPlant) : m_strResolvedPlant);
  };
  const bool digits = length >= 4 && IsDigit(name[1]) && IsDigit(name[2]) && IsDigit(name[3]);
  const std::size_t fit = modelType == 0 ? 11 : (modelType == 3 ? 13 : 12);
  if (digits && (row ? length == fit : length >= 11)) {
    fields.push_back(Field(name, 4, 7));
    if (length >= 12) {
      if (modelType == 2)
        plant(11);
      else
        period(11);
      if (modelType == 3) plant(12);
    }
    return Join(fields);
  }
  fields.push_back(Tag(name, 4, replace));
  if (!row) m_strResolvedLeft = Join(fields) + ":";
  if (length >= 13) {
    if (modelType == 0) {
      const std::string rest = Field(name, 7, std::string::npos);
      fields.push_back(replace ? GetExtendedThreeCharTag(rest) : rest);
    } else if (modelType == 1) {
      period(length - 1);
    } else if (modelType == 2) {
      plant(length - 1);
    } else {
      period(length - 2);
      plant(length - 1);
    }
    return Join(fields);
  }
  fields.push_back(Tag(name, 7, replace));
  if (!row) m_strResolvedLeft = Join(fields);
  if (length >= 11) {
    if (modelType == 0) {
      const std::string rest = Field(name, 10, std::string::npos);
      fields.back() += replace ? GetExtendedThreeCharTag(rest) : rest;
    } else if (modelType == 2) {
      plant(10);
    } else if (row) {
      period(10);
      if (modelType == 3) plant(11);
    } else if (modelType == 1) {
      period(10);
    } else if (length == 11) {
      plant(10);
    } else {
      period(10);
      plant(11);
    }
  }
  return Join(fields);
}

std::string CExtendedTagProcessor::ParseColumnName(std::int32_t modelType, const std::string& name, bool replace) {
  LpNameFields letter(*this, name, replace);
  letter.ClearResolved();
  const std::size_t length = name.size();
  if (length == 0) return name;

  // A prefix of four, a tag and the suffix.
  const auto prefixTag = [&](std::size_t prefix) {
    const std::string body = Join({name.substr(0, prefix), Tag(name, prefix, replace)});
    m_strResolvedLeft = body;
    return body + ParseNameSuffix(modelType, name, replace);
  };
  const auto prefixOnly = [&](std::size_t prefix) {
    m_strResolvedLeft = name.substr(0, prefix);
    return m_strResolvedLeft + ParseNameSuffix(modelType, name, replace);
  };

  if (StartsWithAny(name, 4, {"PURC"})) return prefixTag(4);
  if (StartsWithAny(name, 4, {"SELL"}) && (modelType == 0 || modelType == 1)) return prefixTag(4);
  if (StartsWithAny(name, 3, {"SEL"}) && (modelType == 2 || modelType == 3)) {
    std::vector<std::string> fields = {"SEL", Tag(name, 3, replace), letter.Market(6)};
    m_strResolvedLeft = Join(fields);
    if (length > 7) fields.push_back(modelType == 2 ? letter.Plant(7) : letter.Period(7));
    if (length > 8) fields.push_back(letter.Plant(8));
    return Join(fields);
  }
  if (StartsWithAny(name, 4,
                    {"ABUY", "ASEL", "BVBL", "BWBL", "CDEC", "CINC", "dCAP", "FBLN", "IDEF", "IEXC",
                     "IPRC", "ICST", "qVBL", "QVBL", "QWBL", "qWBL", "uCAP", "uLIM", "dLIM", "Etnv",
                     "Eflo", "Esta", "Epin", "Epou", "Esxp", "XVBL", "Edoi", "Edui"}))
    return prefixTag(4);
  if (StartsWithAny(name, 4, {"ASUP"})) {
    std::vector<std::string> fields = {"ASUP", Tag(name, 4, replace)};
    m_strResolvedLeft = Join(fields);
    if (length > 7) fields.push_back(letter.Plant(7));
    if (length > 8) fields.push_back(letter.Period(8));
    return Join(fields);
  }
  if (StartsWithAny(name, 7, {"OBJFN00", "Epencol", "Epentrg"})) return prefixOnly(7);
  if (name == "XPSPAN" || name == "XPENALTY") return name;
  if (name[0] == 'Q' && length >= 10) return QForm(modelType, name, replace, false);
  if (std::string_view("BDGNQRUVXZudnx").find(name[0]) != std::string_view::npos) {
    if (length > 9) return name;
    const std::string body = Join({name.substr(0, 1), Tag(name, 1, replace), Tag(name, 4, replace)});
    m_strResolvedLeft = body;
    return body + ParseNameSuffix(modelType, name, replace);
  }
  if (name[0] == 'S') {
    if (length > 9) return name;
    const std::string submodel = Field(name, 1, 3);
    const std::string body =
        Join({"S", replace ? GetExtendedSubmodelTag(submodel) : submodel, Tag(name, 4, replace)});
    m_strResolvedLeft = body;
    return body + ParseNameSuffix(modelType, name, replace);
  }
  if (name[0] == 'T' && (modelType == 2 || modelType == 3)) {
    if (length > 8) return name;
    std::vector<std::string> fields = {"T", Tag(name, 1, replace), letter.PlantTag(4), letter.PlantTag(5),
                                       letter.Mode(6)};
    m_strResolvedLeft = Join(fields);
    if (length == 8) fields.push_back(letter.Period(7));
    return Join(fields);
  }
  if (StartsWithAny(name, 4, {"CCAP", "INVT"})) return prefixTag(4);
  return name;
}

std::string CExtendedTagProcessor::ParseRowName(std::int32_t modelType, const std::string& name, bool replace) {
  LpNameFields letter(*this, name, replace);
  letter.ClearResolved();
  const std::size_t length = name.size();
  if (length == 0) return name;

  const auto suffix = [&] { return ParseNameSuffix(modelType, name, replace); };

  if (StartsWithAny(name, 4,
                    {"ABUY", "ASEL", "BCAP", "CCAP", "DBAL", "ECAP", "EVBL", "EWBL", "Eflo", "Eone",
                     "EOPN", "Eout", "Etnv", "Gemp", "Lhld", "Lemx", "NINV", "RBAL", "RVBL", "RWBL",
                     "UBAL", "VBAL", "WBAL", "ZLIM", "XINV", "eVBL", "eWBL", "EINV"})) {
    m_strResolvedLeft = Join({name.substr(0, 4), Tag(name, 4, replace)});
    return m_strResolvedLeft + suffix();
  }
  if (StartsWithAny(name, 4, {"ASUP", "ESEL"})) {
    const bool asup = name[0] == 'A';
    std::vector<std::string> fields = {name.substr(0, 4), Tag(name, 4, replace)};
    m_strResolvedLeft = Join(fields);
    if (length > 7) fields.push_back(modelType == 1 ? letter.Period(7) : (asup ? letter.Plant(7) : letter.Market(7)));
    if (length > 8) fields.push_back(letter.Period(8));
    return Join(fields);
  }
  if (StartsWithAny(name, 5, {"OBJFN"}) && length >= 6) {
    m_strResolvedLeft = Field(name, 0, 7);
    return m_strResolvedLeft + suffix();
  }
  if (StartsWithAny(name, 5, {"EPURC"}) && length == 8 && modelType == 2) {
    m_strResolvedLeft = Join({"EPURC", Tag(name, 5, replace)});
    return m_strResolvedLeft;
  }
  if (StartsWithAny(name, 5, {"EPURC"}) && length == 9) {
    std::vector<std::string> fields = {"EPURC", Tag(name, 5, replace)};
    m_strResolvedLeft = Join(fields);
    fields.push_back(letter.Period(8));
    return Join(fields);
  }
  if (StartsWithAny(name, 7, {"Epenrow", "Epentrg"})) {
    m_strResolvedLeft = name.substr(0, 7);
    return m_strResolvedLeft + suffix();
  }
  if (name == "MINOBJ" || name == "OBJFN" || name == "XPSPAN" || name == "XPENALTY") return name;
  if (StartsWithAny(name, 2, {"et"}) && length >= 8 && (modelType == 2 || modelType == 3) &&
      name.find('.', 2) != std::string::npos) {
    std::vector<std::string> fields = {"et", Tag(name, 2, replace), letter.PlantTag(5), letter.PlantTag(6),
                                       letter.Mode(7)};
    m_strResolvedLeft = Join(fields);
    return Join(fields) + ":" + (length >= 9 ? letter.Period(8) : std::string());
  }
  if ((name[0] == 'Q' || name[0] == 'R') && length >= 10) return QForm(modelType, name, replace, true);
  if (std::string_view("NXELGRQZ").find(name[0]) != std::string_view::npos) {
    if (length > 9) return name;
    m_strResolvedLeft = Join({name.substr(0, 1), Tag(name, 1, replace), Tag(name, 4, replace)});
    return m_strResolvedLeft + suffix();
  }
  if (name[0] == 'e') {
    if (length > 9) return name;
    std::vector<std::string> fields = {"e", Tag(name, 1, replace), Tag(name, 4, replace)};
    m_strResolvedLeft = Join(fields);
    fields.push_back(modelType == 1 || modelType == 3 ? letter.Period(7) : letter.Plant(7));
    if (length == 9) fields.push_back(letter.Plant(8));
    return Join(fields);
  }
  if (name[0] == 'P') return Join({"P", Tag(name, 1, replace), Field(name, 4, std::string::npos)});
  return name;
}

void CExtendedTagProcessor::SplitColumnName(std::int32_t modelType, const std::string& name, std::string& body,
                                            std::string& period, std::string& plant) {
  const bool protect = name.find(':') != std::string::npos;
  std::string copy = name;
  if (protect) std::replace(copy.begin(), copy.end(), ':', ';');
  ParseColumnName(modelType, copy, false);
  body = WithoutColons(m_strResolvedLeft);
  if (protect) std::replace(body.begin(), body.end(), ';', ':');
  period = m_strResolvedPeriod;
  plant = m_strResolvedPlant;
}

void CExtendedTagProcessor::SplitRowName(std::int32_t modelType, const std::string& name, std::string& body,
                                         std::string& period, std::string& plant) {
  ParseRowName(modelType, name, false);
  body = WithoutColons(m_strResolvedLeft);
  period = m_strResolvedPeriod;
  plant = m_strResolvedPlant;
}
