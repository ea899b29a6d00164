# Entry points. Every target installs what is missing first.
.PHONY: deps build test demo bench bench-server coverage clean

deps:
	@scripts/install-deps.sh

build: deps
	scripts/build.sh host
	scripts/build.sh win32

test:
	scripts/test-all.sh

demo:
	scripts/demo.sh

bench: deps
	scripts/build.sh host
	build/host/benchmarks

bench-server: deps
	scripts/build.sh host
	bench/profile_server.sh

coverage:
	scripts/coverage.sh

clean:
	rm -rf build dist
