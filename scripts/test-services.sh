# Services the tests use, started by ./test before the tests and stopped afterwards.
start_test_services() { :; }
stop_test_services() { :; }
