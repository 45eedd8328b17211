mirelva_add_test(tst_config SOURCES tst_config.cpp LIBRARIES mirelva_config)
