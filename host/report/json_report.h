/* --json: what info, probe, length, identify and scan find, as one JSON
 * document on standard output: an array with one object per item (per
 * plug-in for info, per movie found for scan).  The keys are fixed and
 * documented in --help; a key whose value is unknown is null, never
 * missing.  The document is made with nlohmann's JSON library, which does
 * the escaping of names that are anything but ASCII. */
#ifndef HOST_JSON_REPORT_H
#define HOST_JSON_REPORT_H

#include <nlohmann/json.hpp>

#include <cstddef>

namespace json_report {

using Object = nlohmann::ordered_json;

/* An item's object for command ("probe", "length", "identify", "scan")
 * with every key there and null: the command fills in what it found.
 *   all:      item, plugin, error
 *   probe:    sample_rate, channels, bits, decoded_ms, decoded_bytes,
 *             length_ms, refusal {text, code}
 *   length:   length_ms
 *   identify: recognised, start, size
 *   scan:     movie, start, size, length_ms, larger_than_4gib, extracted */
Object Blank(const std::string &command, const std::string &item);

void Start();
bool On();
void Add(Object object);
size_t Count();
/* Writes the document (with a final newline) to standard output. */
void Print();

} // namespace json_report

#endif
