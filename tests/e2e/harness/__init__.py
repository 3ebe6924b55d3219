"""End-to-end harness: the real Windows programs under Wine, a simulated printer, a GUI driver."""
