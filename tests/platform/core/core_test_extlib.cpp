// A tiny external library for the binding tests; built twice with different answers.
extern "C" __attribute__((visibility("default"))) int KalvorTestAnswer() {
  return KALVOR_TEST_ANSWER;
}
