# Sources of the worksheet driver, added to the engine target.
target_sources(engine PRIVATE
    xls/SerialDates.cpp xls/SerialDates.h
    xls/WorksheetTable.cpp xls/WorksheetTable.h
    xls/XlsSheetSource.cpp xls/XlsSheetSource.h
)
