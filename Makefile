.PHONY: test run

# Set-up if needed, both build trees, all tests of both.
test:
	@scripts/test.sh

# Set-up if needed, build, and run the program on the sample installation.
run:
	@scripts/run.sh
