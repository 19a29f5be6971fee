# Every window at a device pixel ratio of 2 (the test also sets the scale itself).
pf_add_test(tst_hidpi LIBS ui LABELS gui)
set_tests_properties(tst_hidpi PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=${PF_TEST_PLATFORM};QT_SCALE_FACTOR=2")
