# Sources of the worksheet driver, added to the engine target.
target_sources(engine PRIVATE
    xls/XlsSheetSource.cpp xls/XlsSheetSource.h
)
