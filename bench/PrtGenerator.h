#pragma once

#include <cstddef>
#include <string>

namespace qorprt::bench {

// A dense business document: headers with modes and fonts, a table drawn with box-drawing tags,
// right-aligned amounts, rules, and a page break every 60 lines.
inline std::string GenerateBusinessDocument(size_t lines) {
    std::string out;
    out.reserve(lines * 90);
    for (size_t i = 0; i < lines; ++i) {
        const size_t row = i % 60;
        if (row == 0) {
            out += "\t\t\tSeite Fe Ari\tQorva eG <+UL>Rechnung<-UL> Nr. ";
            out += std::to_string(100000 + i);
        } else if (row == 1) {
            out += "\t\t\t-Fe Cou\t<218><196><196><196><194><196><196><196><196><196><191>";
        } else if (row % 10 == 0) {
            out += "\t12\t\t\t<195><L070><180>";
        } else if (row % 7 == 0) {
            out += "\t\t10\tEn\tPos. " + std::to_string(row) +
                   " Zwischensumme<TABR70><+FE>1.234,56 \xA4<-FE>";
        } else {
            out += "\t\t\t\t<179>" + std::to_string(i % 997) + "<179> Artikel " +
                   std::to_string(i * 7919 % 100000) + " Schraube M8x40 verzinkt<TAB50>" +
                   std::to_string(i % 12) + " St.<TABR70>" + std::to_string(i % 1000) + ",99<179>";
        }
        out += "\r\n";
    }
    return out;
}

} // namespace qorprt::bench
