// The chart lines are checked byte for byte through whole conversions
// (tests/convert/device_to_chart/output_test.cpp).
