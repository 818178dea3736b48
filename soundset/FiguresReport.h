// analyze's output: the figures of a soundset's drums as an aligned table or as JSON.
#ifndef TAMBREL_FIGURESREPORT_H
#define TAMBREL_FIGURESREPORT_H

#include "HitFigures.h"

#include <string>
#include <vector>

namespace stk {

class FiguresReport {
public:
  struct Row {
    int drum;
    int note;
    HitFigures figures;
  };

  // One header line, then one line per drum; figures rounded for reading.
  static std::string table(const std::vector<Row>& rows);
  // {"file": ..., "kit": ... or null, "seed": ..., "drums": [{"drum": 0, "note": 36,
  //  "silent": false, "peak_dbfs": ..., ...}, ...]}; figures unrounded, null where undefined.
  static std::string json(const std::string& file, const std::string& kit, unsigned seed,
                          const std::vector<Row>& rows);
};

} // namespace stk

#endif
