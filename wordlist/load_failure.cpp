#include "wordlist/load_failure.h"

namespace pelmo {

namespace {

LoadFailureHandler currentHandler = &ShowLoadFailureAndExit;

}  // namespace

LoadFailureHandler SetLoadFailureHandler(LoadFailureHandler handler) {
  LoadFailureHandler previous = currentHandler;
  currentHandler = handler != nullptr ? handler : &ShowLoadFailureAndExit;
  return previous;
}

void ReportLoadFailure(const char* message) {
  currentHandler(message);
}

// "メモリが足りません。"
const char kOutOfMemoryShortMessage[] =
    "\x83\x81\x83\x82\x83\x8a\x82\xaa\x91\xab\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x42";

std::string CannotOpenMessage(const std::string& fileName) {
  // "%sが開けません。"
  return fileName + "\x82\xaa\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1\x81\x42";
}

std::string NoDataMessage() {
  // "CSVファイルにデータがありません。"
  return "CSV\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xc9\x83\x66\x81\x5b\x83\x5e\x82\xaa\x82\xa0\x82"
         "\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x42";
}

std::string OutOfMemoryMessage(const std::string& fileName) {
  // "メモリが足りないため、%sを読み込めません。"
  return "\x83\x81\x83\x82\x83\x8a\x82\xaa\x91\xab\x82\xe8\x82\xc8\x82\xa2\x82\xbd\x82\xdf\x81"
         "\x41" +
         fileName + "\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x81\x42";
}

}  // namespace pelmo
