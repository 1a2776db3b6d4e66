// One QApplication for every board test; each test makes its own platform and board on it.
#include "tests/board/board_fixture.h"

int main(int argc, char** argv) {
  return kalvor::test::RunBoardTests(argc, argv);
}
