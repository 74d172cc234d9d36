# Two commands, each of which sets up what it needs first.
.PHONY: run test build bench clean

run:
	bash scripts/run.sh

test:
	bash scripts/test.sh

build:
	bash scripts/build.sh

bench:
	bash bench/run.sh

clean:
	rm -rf build/native build/win build/wineprefix build/run
