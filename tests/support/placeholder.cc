namespace test_support {}
