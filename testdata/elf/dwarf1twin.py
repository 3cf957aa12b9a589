def write_twin(path): pass
