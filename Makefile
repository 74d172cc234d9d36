# Two commands, each of which sets up what it needs first.
.PHONY: run test build bench dist clean

run:
	bash scripts/run.sh

test:
	bash scripts/test.sh

build:
	bash scripts/build.sh

bench:
	bash bench/run.sh

# The release zip: build/dist/Tessaroo-<version>-win64.zip.
dist: build
	python3 scripts/dist.py

clean:
	rm -rf build/native build/win build/wineprefix build/run build/dist
